#include "platform/FilePath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

void Copy(char* out, const char* in, std::size_t size) {
  std::size_t n = 0;
  while (n + 1 < size && in[n] != '\0') {
    n++;
  }
  std::memcpy(out, in, n);
  out[n] = '\0';
}

bool Exists(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0;
}

}  // namespace

void ToNativePath(const char* path, char* out, std::size_t size) {
  if (out == nullptr || size == 0) {
    return;
  }
  if (path == nullptr) {
    out[0] = '\0';
    return;
  }
  Copy(out, path, size);
  for (char* p = out; *p != '\0'; p++) {
    if (*p == '\\') {
      *p = '/';
    }
  }
}

const char* ProgramFolder() {
  static char folder[4096] = {};
  static bool known = false;
  if (!known) {
    known = true;
    char exe[4096];
    ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
      exe[n] = '\0';
      char* slash = std::strrchr(exe, '/');
      if (slash != nullptr) {
        slash[1] = '\0';
        Copy(folder, exe, sizeof folder);
      }
    }
  }
  return folder;
}

bool ResolvePath(const char* path, char* out, std::size_t size) {
  if (out == nullptr || size == 0) {
    return false;
  }
  ToNativePath(path, out, size);
  if (out[0] == '\0') {
    return false;
  }
  if (Exists(out)) {
    return true;
  }
  // Walk the components, matching each one case-insensitively in its folder.
  char native[4096];
  Copy(native, out, sizeof native);
  char built[4096];
  std::size_t len = 0;
  const char* p = native;
  if (*p == '/') {
    built[len++] = '/';
    while (*p == '/') {
      p++;
    }
  }
  built[len] = '\0';
  while (*p != '\0') {
    const char* end = std::strchr(p, '/');
    std::size_t compLen = end != nullptr ? static_cast<std::size_t>(end - p) : std::strlen(p);
    char comp[1024];
    if (compLen >= sizeof comp) {
      return false;
    }
    std::memcpy(comp, p, compLen);
    comp[compLen] = '\0';
    const char* dirName = len == 0 ? "." : built;
    char match[1024];
    match[0] = '\0';
    char candidate[4096];
    std::snprintf(candidate, sizeof candidate, "%s%s", built, comp);
    if (Exists(candidate) || std::strcmp(comp, ".") == 0 || std::strcmp(comp, "..") == 0) {
      Copy(match, comp, sizeof match);
    } else if (DIR* dir = ::opendir(dirName)) {
      while (dirent* entry = ::readdir(dir)) {
        if (::strcasecmp(entry->d_name, comp) == 0) {
          Copy(match, entry->d_name, sizeof match);
          break;
        }
      }
      ::closedir(dir);
    }
    if (match[0] == '\0') {
      return false;
    }
    std::size_t matchLen = std::strlen(match);
    if (len + matchLen + 2 >= sizeof built) {
      return false;
    }
    std::memcpy(built + len, match, matchLen);
    len += matchLen;
    built[len] = '\0';
    p += compLen;
    if (*p == '/') {
      built[len++] = '/';
      built[len] = '\0';
      while (*p == '/') {
        p++;
      }
    }
  }
  if (!Exists(built) || std::strlen(built) + 1 > size) {
    return false;
  }
  Copy(out, built, size);
  return true;
}

bool FileExists(const char* path) {
  char resolved[4096];
  if (!ResolvePath(path, resolved, sizeof resolved)) {
    return false;
  }
  struct stat st;
  return ::stat(resolved, &st) == 0 && S_ISREG(st.st_mode);
}

void JoinToFolder(const char* folder, int levelsUp, const char* value, char* out, std::size_t size) {
  if (out == nullptr || size == 0) {
    return;
  }
  char base[4096];
  Copy(base, folder != nullptr ? folder : "", sizeof base);
  std::size_t len = std::strlen(base);
  auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
  while (len > 0 && isSeparator(base[len - 1])) {
    len--;
  }
  for (int level = 1; level < levelsUp && len > 0; level++) {
    while (len > 0 && !isSeparator(base[len - 1])) {
      len--;
    }
    while (len > 0 && isSeparator(base[len - 1])) {
      len--;
    }
  }
  base[len] = '\0';
  // At most kCompletedPathMax characters, every separator a '/'.
  const std::size_t room = size - 1 < kCompletedPathMax ? size : kCompletedPathMax + 1;
  std::snprintf(out, room, "%s/%s", base, value != nullptr ? value : "");
  for (char* c = out; *c != '\0'; c++) {
    if (*c == '\\') {
      *c = '/';
    }
  }
}

}  // namespace platform
