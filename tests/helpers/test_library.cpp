// A library for the tests of CDLL, built for both platforms: DllRegisterServer and functions of
// 0 to 4 arguments that take integers and UTF-16 texts and answer with what they were given.
// The fixed answers lie in 0x10000-0x1FFFF, numbers that no system has a message text for, so
// the log shows them the same everywhere.
#include <cstdint>

#ifdef _WIN32
#define TEST_EXPORT extern "C" __declspec(dllexport)
#define TEST_CALL __stdcall
#else
#define TEST_EXPORT extern "C" __attribute__((visibility("default")))
#define TEST_CALL
#endif

namespace {

int32_t Length(const char16_t* text) {
  int32_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

TEST_EXPORT int32_t TEST_CALL DllRegisterServer() { return 0x15EED; }
TEST_EXPORT int32_t TEST_CALL NoArguments() { return 0x10064; }
TEST_EXPORT int32_t TEST_CALL Identity(int32_t a) { return a; }
TEST_EXPORT int32_t TEST_CALL Difference(int32_t a, int32_t b) { return a - b; }
TEST_EXPORT int32_t TEST_CALL Weighted3(int32_t a, int32_t b, int32_t c) { return a + 10 * b + 100 * c; }
TEST_EXPORT int32_t TEST_CALL Weighted4(int32_t a, int32_t b, int32_t c, int32_t d) {
  return a + 10 * b + 100 * c + 1000 * d;
}
TEST_EXPORT int32_t TEST_CALL TextLength(const char16_t* text) { return Length(text); }
TEST_EXPORT int32_t TEST_CALL FirstUnit(const char16_t* text) { return text[0]; }
TEST_EXPORT int32_t TEST_CALL Mixed(int32_t a, const char16_t* s, int32_t b, const char16_t* t) {
  return a + 10 * Length(s) + 100 * b + 1000 * Length(t);
}
