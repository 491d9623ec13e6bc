#include "regclean/RegText.h"

#include <cstdio>

#include "system/Text.h"

namespace {
std::string LocaleText(LCTYPE type, const char* fallback) {
  wchar_t buf[16] = L"";
  if (GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 16) <= 1) return fallback;
  return NarrowFrom(buf);
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
