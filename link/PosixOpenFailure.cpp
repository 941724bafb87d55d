#include "link/PosixOpenFailure.h"

#include <dirent.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessaro {

namespace {

bool IsMember(gid_t group) {
  if (getegid() == group) return true;
  gid_t groups[256];
  const int count = getgroups(256, groups);
  for (int i = 0; i < count; ++i) {
    if (groups[i] == group) return true;
  }
  return false;
}

// A group is worth joining only when it may read and write the device, and
// root's group never is: joining it hands out far more than a serial port.
void PermissionHint(const char* path, OpenFailure& failure) {
  struct stat st {};
  if (stat(path, &st) != 0) return;
  const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  const group* owner = getgrgid(st.st_gid);
  if (groupMayUse && st.st_gid != 0 && owner != nullptr && !IsMember(st.st_gid)) {
    std::snprintf(failure.hint, sizeof failure.hint,
                  "You are not in the group '%s' that may use the device: sudo usermod -aG %s "
                  "\"$USER\", then log out and in again.",
                  owner->gr_name, owner->gr_name);
  } else if (!groupMayUse || st.st_gid == 0) {
    CopyField(failure.hint, sizeof failure.hint,
              "The device is open to its owner only. Give it to the dialout group with a udev "
              "rule (docs/serial-ports.md, \"Permissions\").");
  } else {
    CopyField(failure.hint, sizeof failure.hint,
              "The device's permissions do not let you read and write it.");
  }
}

void BusyHint(const char* path, OpenFailure& failure) {
  char holder[96];
  FindHolder(path, "/proc", static_cast<int>(getpid()), holder, sizeof holder);
  if (holder[0] != '\0') {
    std::snprintf(failure.hint, sizeof failure.hint,
                  "Another program holds the port: %s. Close it there first.", holder);
  } else {
    CopyField(failure.hint, sizeof failure.hint,
              "Another program holds the port. Close it there first.");
  }
}

bool SameDevice(const char* link, dev_t device, ino_t inode) {
  struct stat st {};
  return stat(link, &st) == 0 && st.st_rdev == device && st.st_ino == inode;
}

// Whether process directory `pid` under `procRoot` has the file open.
bool Holds(const char* procRoot, const char* pid, dev_t device, ino_t inode) {
  char fdDir[512];
  std::snprintf(fdDir, sizeof fdDir, "%s/%s/fd", procRoot, pid);
  DIR* fds = opendir(fdDir);
  if (fds == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(fds)) {
    if (entry->d_name[0] == '.') continue;
    char link[800];
    std::snprintf(link, sizeof link, "%s/%s", fdDir, entry->d_name);
    if (SameDevice(link, device, inode)) {
      found = true;
      break;
    }
  }
  closedir(fds);
  return found;
}

void CommandOf(const char* procRoot, const char* pid, char* out, std::size_t size) {
  char path[512];
  std::snprintf(path, sizeof path, "%s/%s/comm", procRoot, pid);
  out[0] = '\0';
  std::FILE* file = std::fopen(path, "re");
  if (file == nullptr) return;
  if (std::fgets(out, static_cast<int>(size), file) != nullptr) out[std::strcspn(out, "\n")] = '\0';
  std::fclose(file);
}

}  // namespace

void FindHolder(const char* path, const char* procRoot, int self, char* out, std::size_t size) {
  if (size == 0) return;
  out[0] = '\0';
  struct stat target {};
  if (stat(path, &target) != 0) return;
  DIR* proc = opendir(procRoot);
  if (proc == nullptr) return;
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (end == entry->d_name || *end != '\0' || pid == self) continue;
    if (!Holds(procRoot, entry->d_name, target.st_rdev, target.st_ino)) continue;
    char command[64];
    CommandOf(procRoot, entry->d_name, command, sizeof command);
    std::snprintf(out, size, "process %ld (%s)", pid, command[0] != '\0' ? command : "?");
    break;
  }
  closedir(proc);
}

void DescribeOpenFailure(const char* path, int error, OpenFailure& failure) {
  failure = OpenFailure{};
  failure.error = error;
  CopyField(failure.path, sizeof failure.path, path);
  switch (error) {
    case ENOTTY:
      CopyField(failure.reason, sizeof failure.reason, "not a terminal");
      CopyField(failure.hint, sizeof failure.hint,
                "This file is no serial device. Choose the adapter's device.");
      return;
    default:
      CopyField(failure.reason, sizeof failure.reason, std::strerror(error));
      break;
  }
  switch (error) {
    case EACCES:
    case EPERM:
      PermissionHint(path, failure);
      break;
    case EBUSY:
    case EWOULDBLOCK:
      BusyHint(path, failure);
      break;
    case ENOENT:
      CopyField(failure.hint, sizeof failure.hint,
                "No such device: check that the adapter is plugged in and that the name is "
                "right.");
      break;
    case ENXIO:
    case ENODEV:
      CopyField(failure.hint, sizeof failure.hint,
                "The device name exists but no hardware answers behind it.");
      break;
    case EISDIR:
      CopyField(failure.hint, sizeof failure.hint,
                "This is a directory, no serial device. Choose the adapter's device.");
      break;
    default:
      break;
  }
}

}  // namespace tessaro
