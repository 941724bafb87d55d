#include <windows.h>

#include <cstdio>

#include "download/ImageFile.h"

namespace tessaro {

namespace {

void SayWhy(DWORD code, char* why, std::size_t size) {
  char text[96] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, text, sizeof text, nullptr);
  // The system's text ends in CR LF.
  DWORD end = n;
  while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == '.')) --end;
  text[end] = '\0';
  if (end > 0) {
    std::snprintf(why, size, "%s", text);
  } else {
    std::snprintf(why, size, "system error %lu", static_cast<unsigned long>(code));
  }
}

}  // namespace

bool ImageFile::ReadWholeFile(const char* path, std::vector<char>& bytes, char* why,
                              std::size_t whySize) {
  // Shared for writing too: the file may be open in an editor; it is read
  // once, here.
  const HANDLE file = CreateFileA(
      path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    // A directory does not open this way.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      std::snprintf(why, whySize, "not a regular file");
    } else {
      SayWhy(code, why, whySize);
    }
    return false;
  }
  bool ok = true;
  LARGE_INTEGER size{};
  if (GetFileType(file) != FILE_TYPE_DISK) {
    std::snprintf(why, whySize, "not a regular file");
    ok = false;
  } else if (!GetFileSizeEx(file, &size)) {
    SayWhy(GetLastError(), why, whySize);
    ok = false;
  } else if (size.QuadPart > kLargest) {
    std::snprintf(why, whySize, "larger than %lld MiB, no program image", kLargest >> 20);
    ok = false;
  }
  bytes.clear();
  char block[65536];
  while (ok) {
    DWORD got = 0;
    if (!ReadFile(file, block, sizeof block, &got, nullptr)) {
      SayWhy(GetLastError(), why, whySize);
      ok = false;
    } else if (got == 0) {
      break;
    } else if (static_cast<long long>(bytes.size()) + got > kLargest) {
      std::snprintf(why, whySize, "larger than %lld MiB, no program image", kLargest >> 20);
      ok = false;
    } else {
      bytes.insert(bytes.end(), block, block + got);
    }
  }
  CloseHandle(file);
  return ok;
}

}  // namespace tessaro
