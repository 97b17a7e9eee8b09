// The XML parser on Windows: the system's XmlLite, looked up at run time (a Windows CE device
// has none, and there the real configuration manager reads the document anyway). The document
// reaches it as UTF-8 with that encoding forced, as on the host, so an encoding named in the XML
// declaration does not matter. UTF-8 rather than the UTF-16 the program holds: Wine's XmlLite
// overruns its buffer on a long UTF-16 token near a document's start. Without XmlLite no
// document can be read: not well-formed.
#include "platform/xml_tree.h"

#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <string>

#include "base/utf8.h"

namespace orvinta::platform {

namespace {

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
using CreateInputFunction = HRESULT(WINAPI*)(IUnknown*, IMalloc*, UINT, BOOL, LPCWSTR, IUnknown**);

// IXmlReader's interface identifier, as xmllite.h gives it (the import library that would
// define it is not used: the library is looked up at run time).
constexpr GUID kIidXmlReader = {0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};
constexpr UINT kUtf8CodePage = 65001;

// The document's bytes as a read-only stream. It lives on the caller's stack and outlives the
// reader, so its count is only kept for form. COM interfaces have no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class MemoryStream final : public IStream {
 public:
  MemoryStream(const void* data, ULONG size) : data_(static_cast<const BYTE*>(data)), size_(size) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(ISequentialStream) || iid == __uuidof(IStream)) {
      *object = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override { return --count_; }

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG wanted, ULONG* read) override {
    ULONG n = wanted < size_ - at_ ? wanted : size_ - at_;
    CopyMemory(buffer, data_ + at_, n);
    at_ += n;
    if (read != nullptr) *read = n;
    return n == wanted ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override {
    LONGLONG from = origin == STREAM_SEEK_SET ? 0 : origin == STREAM_SEEK_CUR ? at_ : size_;
    LONGLONG to = from + move.QuadPart;
    if (origin > STREAM_SEEK_END || to < 0 || to > size_) return STG_E_INVALIDFUNCTION;
    at_ = static_cast<ULONG>(to);
    if (position != nullptr) position->QuadPart = at_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    ZeroMemory(stat, sizeof(*stat));
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = size_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  const BYTE* data_;
  ULONG size_;
  ULONG at_ = 0;
  ULONG count_ = 1;
};
#pragma GCC diagnostic pop

template <typename Interface>
void ReleaseIfSet(Interface*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

std::u16string Text(const WCHAR* text, UINT length) {
  return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

// Walks the reader's nodes into the builder; false at the first fault.
// Every node takes at least one character of the document, so `maxNodes` bounds the walk even
// where a reader keeps answering at the end of an unfinished document.
bool ReadNodes(IXmlReader* reader, XmlTreeBuilder& builder, size_t maxNodes) {
  XmlNodeType type = XmlNodeType_None;
  HRESULT status;
  size_t nodes = 0;
  while ((status = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_None || ++nodes > maxNodes) return false;
    const WCHAR* text = nullptr;
    UINT length = 0;
    switch (type) {
      case XmlNodeType_Element: {
        BOOL empty = reader->IsEmptyElement();
        if (FAILED(reader->GetQualifiedName(&text, &length)) || !builder.Open(Text(text, length))) return false;
        for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
          const WCHAR* value = nullptr;
          UINT valueLength = 0;
          if (FAILED(reader->GetQualifiedName(&text, &length)) || FAILED(reader->GetValue(&value, &valueLength))) {
            return false;
          }
          builder.Attribute(Text(text, length), Text(value, valueLength));
        }
        reader->MoveToElement();
        if (empty) builder.Close();
        break;
      }
      case XmlNodeType_EndElement:
        builder.Close();
        break;
      case XmlNodeType_Text:
      case XmlNodeType_CDATA:
        if (FAILED(reader->GetValue(&text, &length))) return false;
        builder.Text(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
        break;
      case XmlNodeType_DocumentType:
        return false;
      default:
        break;
    }
  }
  return status == S_FALSE && builder.Finished();
}

}  // namespace

bool ParseXmlTree(std::u16string_view document, XmlElement& root) {
  // Only whole surrogate pairs: a lone surrogate is no character, as the host's parser holds.
  for (size_t at = 0; at < document.size(); ++at) {
    char16_t c = document[at];
    if (c < 0xD800 || c > 0xDFFF) continue;
    if (c > 0xDBFF || at + 1 >= document.size() || document[at + 1] < 0xDC00 || document[at + 1] > 0xDFFF) {
      return false;
    }
    ++at;
  }
  if (document.size() > 0x3FFFFFFF) return false;
  HMODULE library = LoadLibraryW(L"xmllite.dll");
  if (library == nullptr) return false;
  auto createReader = reinterpret_cast<CreateXmlReaderFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "CreateXmlReader")));
  auto createInput = reinterpret_cast<CreateInputFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "CreateXmlReaderInputWithEncodingCodePage")));
  bool ok = false;
  std::string utf8 = base::Utf16ToUtf8(document);
  MemoryStream stream(utf8.data(), static_cast<ULONG>(utf8.size()));
  IXmlReader* reader = nullptr;
  IUnknown* input = nullptr;
  if (createReader != nullptr && createInput != nullptr &&
      SUCCEEDED(createReader(kIidXmlReader, reinterpret_cast<void**>(&reader), nullptr)) &&
      SUCCEEDED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) &&
      SUCCEEDED(createInput(&stream, nullptr, kUtf8CodePage, FALSE, nullptr, &input)) &&
      SUCCEEDED(reader->SetInput(input))) {
    XmlTreeBuilder builder(root);
    ok = ReadNodes(reader, builder, document.size() + 1);
  }
  ReleaseIfSet(reader);
  ReleaseIfSet(input);
  FreeLibrary(library);
  return ok;
}

}  // namespace orvinta::platform
