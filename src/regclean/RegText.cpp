#include "regclean/RegText.h"

#include <cstdio>

std::wstring AnsiToWide(const std::string& s) {
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), w.data(), n);
  return w;
}

std::string WideToAnsi(const std::wstring& w, bool* exact) {
  if (w.empty()) return std::string();
  // No best fit: a look-alike character would name a different key or value.
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), (int)w.size(), nullptr,
                                    0, nullptr, &usedDefault);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w.data(), (int)w.size(), s.data(), n, nullptr,
                      &usedDefault);
  if (exact && (usedDefault || AnsiToWide(s) != w)) *exact = false;
  return s;
}

namespace {
std::string LocaleText(LCTYPE type, const char* fallback) {
  char buf[16] = "";
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, sizeof buf) <= 1) return fallback;
  return buf;
}

// The separators are read from the user's settings; a scan formats thousands of times within a
// second, so they are read again only when a second has passed.
void Separators(std::string& date, std::string& clock) {
  static std::string d, c;
  static DWORD readAt = 0;
  static bool read = false;
  const DWORD now = GetTickCount();
  if (!read || now - readAt > 1000) {
    d = LocaleText(LOCALE_SDATE, "/");
    c = LocaleText(LOCALE_STIME, ":");
    readAt = now;
    read = true;
  }
  date = d;
  clock = c;
}
}  // namespace

std::string FormatLastWrite(const FILETIME& time) {
  SYSTEMTIME t{};
  if (!FileTimeToSystemTime(&time, &t)) return std::string();
  std::string date, clock;
  Separators(date, clock);
  int hour = t.wHour % 12;
  if (hour == 0) hour = 12;
  char month[4], day[4], year[8], hh[4], mm[4];
  std::snprintf(month, sizeof month, "%02u", (unsigned)t.wMonth % 100);
  std::snprintf(day, sizeof day, "%02u", (unsigned)t.wDay % 100);
  std::snprintf(year, sizeof year, "%04u", (unsigned)t.wYear % 10000);
  std::snprintf(hh, sizeof hh, "%02d", hour);
  std::snprintf(mm, sizeof mm, "%02u", (unsigned)t.wMinute % 100);
  return std::string(month) + date + day + date + year + " " + hh + clock + mm +
         (t.wHour < 12 ? "AM" : "PM");
}
