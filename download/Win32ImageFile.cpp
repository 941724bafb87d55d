#include <windows.h>

#include "download/ImageFile.h"

namespace tessaro {

namespace {

HANDLE AsHandle(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

}  // namespace

bool ImageFile::Open(const char* path) {
  Close();
  if (path == nullptr || path[0] == '\0') return false;
  // As on POSIX, the file may be rewritten or removed while it is held (the
  // user mends it while a retry is offered); the next attempt opens it anew.
  const HANDLE file = CreateFileA(
      path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // A directory does not open this way; a device or a pipe is no disk file.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

void ImageFile::Close() {
  if (IsOpen()) CloseHandle(AsHandle(handle_));
  handle_ = kClosed;
}

long long ImageFile::Size() const {
  LARGE_INTEGER size{};
  if (!IsOpen() || !GetFileSizeEx(AsHandle(handle_), &size)) return -1;
  return static_cast<long long>(size.QuadPart);
}

long ImageFile::Read(char* buffer, std::size_t size) {
  if (!IsOpen()) return -1;
  const DWORD wanted = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr)) return -1;
  return static_cast<long>(got);
}

bool ImageFile::Rewind() {
  LARGE_INTEGER zero{};
  return IsOpen() && SetFilePointerEx(AsHandle(handle_), zero, nullptr, FILE_BEGIN) != 0;
}

}  // namespace tessaro
