#include "win32/ReplaceFile.h"

#include <windows.h>

namespace tessaro {

std::wstring WidePath(const std::string& path) {
  const int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 1u, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string SystemMessage(unsigned long code) {
  char text[256] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, text, sizeof text, nullptr);
  std::string message(text, n);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  if (message.empty()) message = "error " + std::to_string(code);
  return message;
}

std::string ReplaceWith(const std::string& partial, const std::string& path) {
  if (MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
  std::string error = SystemMessage(GetLastError());
  DeleteFileA(partial.c_str());
  return error;
}

std::string WriteWholeFile(const std::string& path, const std::string& text) {
  const std::string partial = path + ".partial";
  HANDLE file = CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return SystemMessage(GetLastError());
  DWORD written = 0;
  const bool ok =
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size() && FlushFileBuffers(file);
  const DWORD code = GetLastError();
  CloseHandle(file);
  if (!ok) {
    DeleteFileA(partial.c_str());
    return SystemMessage(code);
  }
  return ReplaceWith(partial, path);
}

}  // namespace tessaro
