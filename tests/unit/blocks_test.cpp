// Embedded blocks: XML provisioning documents go to the configuration manager as written, and
// lines beginning with "[" go to the registry-script importer. Neither is logged.
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(XmlBlock, HandsTheRawDocumentOverAndResumesAfterTheMarkerLine) {
  RecordingDevice settings;  // each run's fresh device answers like this one
  settings.xmlResult = 0x1234;
  const ScriptCase cases[] = {
      {u"   <?xml a,b %x?>\n<wap/>\n<>ignored\nEVAL 1=%x",
       {.variables = u"|4660||", .calls = u"ProcessConfigXml 1 [   <?xml a,b %x?>\n<wap/>\n]",
        .log = Logged(u"EVAL 1=4660", 0)}},
      {u"<a>\r\n<>\r\nEVAL 1=%x", {.variables = u"|4660||", .calls = u"ProcessConfigXml 1 [<a>\r\n]"}},
      {u"<a>\n  x<> y\nEVAL 1=%x\n", {.variables = u"|4660||", .calls = u"ProcessConfigXml 1 [<a>\n  x]"}},
      {u"<a/>\n<>\n\n<b/>\r\n<>\r\n",
       {.result = 0x1234, .calls = u"ProcessConfigXml 1 [<a/>\n], ProcessConfigXml 1 [<b/>\r\n]"}},
      // A marker on the block's first line does not count; without a marker the run ends.
      {u"<a><>\nEVAL 1=x\n",
       {.result = 0x1234, .variables = u"|||", .calls = u"ProcessConfigXml 1 [<a><>\nEVAL 1=x\n]", .log = u""}},
      {u"EVAL x=1\n<a>\n<", {.result = 0x1234, .calls = u"ProcessConfigXml 1 [<a>\n<]"}},
      {u"<a>\n<>", {.result = 0x1234, .calls = u"ProcessConfigXml 1 [<a>\n]"}},
      {u"<", {.result = 0x1234, .calls = u"ProcessConfigXml 1 [<]"}},
  };
  ExpectRuns(cases);
}

TEST(RegistryBlock, OnlyARawLineBeginningWithBracketIsImportedAndNothingLoops) {
  const int32_t kNotRegistry = win::AsResult(win::kErrorNotRegistryFile);
  const int32_t kNotFound = win::AsResult(win::kErrorFileNotFound);  // lines without a keyword go to LOAD
  const ScriptCase cases[] = {
      {u"[HKEY_LOCAL_MACHINE\\A]\nEVAL x=%x", {.result = kNotRegistry, .log = Logged(u"EVAL x=1017", kNotRegistry)}},
      {u" \t[A]\r\n\"v\"=\"x\"", {.result = kNotFound, .log = Logged(u"\"v\"=\"x\"", kNotFound)}},  // goes on below
      {u"[A]", {.result = 0, .log = u""}},  // a key line is registry text, known root or not
      // Lines that only expand to "[" are command lines.
      {u"%#005BA]\nEVAL x=%x",
       {.result = kNotFound, .log = Logged(u"[A]", kNotFound) + Logged(u"EVAL x=2", kNotFound)}},
      {u"EVAL 0=[\n  %0B]", {.result = kNotFound, .log = Logged(u"EVAL 0=[", 0) + Logged(u"[B]", kNotFound)}},
  };
  ExpectRuns(cases);
}

}  // namespace
}  // namespace orvinta::test
