#include "app/Settings.h"

#include <cctype>
#include <vector>

#include "app/JobRunner.h"
#include "regbackup/Rotation.h"
#include "system/Handles.h"
#include "system/ProtectedFolders.h"
#include "system/SysUtils.h"
#include "system/Text.h"

namespace {
const char kSection[] = "RunData";

// Folder tests on a removable drive without a disk would otherwise raise a system error box.
class TNoCriticalErrorBoxes {
 public:
  TNoCriticalErrorBoxes() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~TNoCriticalErrorBoxes() { SetErrorMode(old_); }

 private:
  UINT old_;
};

// The lines of the file. '=', ';', quotes, spaces and line ends are never the second byte of a
// double-byte character in code page 936, so the text is taken apart byte by byte.
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// Key and section names are ASCII; letter case does not count.
bool SameAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// The section's header line: "[RunData]" however spaced, in any letter case.
bool IsSectionLine(const std::string& line, const char* section) {
  const std::string t = Trim(line);
  return t.size() >= 2 && t.front() == '[' && t.back() == ']' &&
         SameAscii(Trim(t.substr(1, t.size() - 2)), section);
}

bool IsAnySectionLine(const std::string& line) {
  const std::string t = Trim(line);
  return !t.empty() && t.front() == '[';
}

// The key of a "key=value" line; "" for any other line.
std::string KeyOf(const std::string& line) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';') return "";
  const auto eq = t.find('=');
  return eq == std::string::npos ? "" : Trim(t.substr(0, eq));
}

std::string ValueOf(const std::string& line) {
  std::string v = Trim(line.substr(line.find('=') + 1));
  // Quotes around a value are not part of it.
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  return v;
}

bool ReadAll(HANDLE file, std::string& text) {
  text.clear();
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(file, buf, sizeof buf, &got, nullptr)) {
    if (got == 0) return true;
    text.append(buf, got);
  }
  return false;
}
}  // namespace

std::string TSettingsFile::Read(const std::string& key, const std::string& fallback) const {
  const TKernelHandle file(CreateFileW(WideFrom(path_).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text;
  if (!file || !ReadAll(file.get(), text)) return fallback;
  bool inSection = false;
  for (const std::string& line : SplitLines(text)) {
    if (IsAnySectionLine(line)) {
      inSection = IsSectionLine(line, kSection);
      continue;
    }
    if (inSection && !KeyOf(line).empty() && SameAscii(KeyOf(line), key)) return ValueOf(line);
  }
  return fallback;
}

bool TSettingsFile::Write(const std::string& key, const std::string& value) const {
  // Held without sharing while it is changed, as the system's own writer does.
  const TKernelHandle file(CreateFileW(WideFrom(path_).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string text;
  if (!file || !ReadAll(file.get(), text)) return false;
  std::vector<std::string> lines = SplitLines(text);
  const std::string entry = key + "=" + value;
  // Replace the key in its section, else add it after the section's last entry, else add the
  // section at the end.
  int section = -1, last = -1;
  bool done = false;
  for (int i = 0; i < static_cast<int>(lines.size()) && !done; ++i) {
    if (IsAnySectionLine(lines[i])) {
      if (section >= 0) break;
      if (IsSectionLine(lines[i], kSection)) section = last = i;
      continue;
    }
    if (section < 0) continue;
    if (!Trim(lines[i]).empty()) last = i;
    if (!KeyOf(lines[i]).empty() && SameAscii(KeyOf(lines[i]), key)) {
      lines[i] = entry;
      done = true;
    }
  }
  if (!done && section >= 0) {
    lines.insert(lines.begin() + last + 1, entry);
  } else if (!done) {
    lines.push_back(std::string("[") + kSection + "]");
    lines.push_back(entry);
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  DWORD written = 0;
  return SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == 0 &&
         WriteFile(file.get(), out.data(), static_cast<DWORD>(out.size()), &written, nullptr) &&
         written == out.size() && SetEndOfFile(file.get()) && FlushFileBuffers(file.get());
}

TSettings ReadSettings(const TSettingsFile& file) {
  TSettings s;
  s.InstallIcon = file.Read("InstallIcon", "0") == "1";
  s.RegBakDir = file.Read("RegBakDir", "D:\\Backup");
  s.AutoRegBak = file.Read("AutoRegBak", "1") == "1";
  if (s.AutoRegBak) s.RegBackDate = file.Read("RegBackDate", "");
  return s;
}

bool IsAbsoluteFolder(const std::string& folder) {
  if (folder.size() >= 3 && std::isalpha(static_cast<unsigned char>(folder[0])) &&
      folder[1] == ':' && folder[2] == '\\')
    return true;
  return folder.size() > 2 && folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\';
}

bool EnsureFolder(const std::string& folder) {
  if (!IsAbsoluteFolder(folder)) return false;
  TNoCriticalErrorBoxes quiet;
  if (DirectoryExists(folder)) return true;
  CreateDirectoryW(WideFrom(ExcludeTrailingBackslash(folder)).c_str(), nullptr);
  return DirectoryExists(folder);
}

bool IsAllowedBackupFolder(const std::string& folder) {
  // An export there would replace and drop files of the system's or the user's own.
  return IsAbsoluteFolder(folder) && !IsProtectedFolder(folder);
}

void RestoreStrayBackups(const std::string& folder) {
  if (!IsAllowedBackupFolder(folder)) return;
  TNoCriticalErrorBoxes quiet;
  if (DirectoryExists(folder)) RestoreStrayCopies(folder);
}

WORD StartAutomaticBackup(const TSettingsFile& file, const std::string& folder,
                          const std::string& lastDate, const std::string& today,
                          const std::function<void(WORD)>& startJob) {
  if (!IsAllowedBackupFolder(folder) || !EnsureFolder(folder)) return 0;
  TRotationPlan plan;
  {
    TNoCriticalErrorBoxes quiet;
    RestoreStrayCopies(folder);
    plan = PlanRotationIn(folder, !lastDate.empty() && lastDate == today);
  }
  if (!plan.Export) return 0;
  RotationDrop = plan.Drop;
  RegBackDateNote = {file.Path(), today};
  startJob(plan.Job);
  return plan.Job;
}

std::string BackupDateStamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);  // one reading, so the stamp cannot straddle midnight
  return FormatDatePart(now, 1) + FormatDatePart(now, 2) + FormatDatePart(now, 3);
}
