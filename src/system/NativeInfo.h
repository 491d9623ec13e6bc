// The system records the program reads below the documented API, declared field by field in
// their 32-bit layout (the program is a 32-bit one; 64-bit Windows hands it the same layout), with
// every offset the code relies on checked when it compiles.
#pragma once

#include <windows.h>

#include <cstddef>

namespace native {

// Information classes of NtQuerySystemInformation.
inline constexpr ULONG kBasicInformation = 0;
inline constexpr ULONG kPerformanceInformation = 2;
inline constexpr ULONG kTimeOfDayInformation = 3;
inline constexpr ULONG kProcessInformation = 5;

inline constexpr LONG kStatusSuccess = 0;
inline constexpr LONG kStatusNotImplemented = static_cast<LONG>(0xC0000002);
inline constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
inline constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);

// Class 0 (exactly 44 bytes).
struct TBasicInformation {
  ULONG Reserved;
  ULONG TimerResolution;
  ULONG PageSize;
  ULONG NumberOfPhysicalPages;
  ULONG LowestPhysicalPageNumber;
  ULONG HighestPhysicalPageNumber;
  ULONG AllocationGranularity;
  ULONG MinimumUserModeAddress;
  ULONG MaximumUserModeAddress;
  ULONG ActiveProcessorsAffinityMask;
  UCHAR NumberOfProcessors;
  UCHAR Padding[3];
};
static_assert(offsetof(TBasicInformation, NumberOfProcessors) == 40);
static_assert(sizeof(TBasicInformation) == 44);

// Class 2 (312 bytes); only the idle time, summed over the processors, is read.
struct TPerformanceInformation {
  ULONGLONG IdleTime;
  UCHAR Rest[304];
};
static_assert(offsetof(TPerformanceInformation, IdleTime) == 0);
static_assert(sizeof(TPerformanceInformation) == 312);

// Class 3 (32 bytes).
struct TTimeOfDayInformation {
  ULONGLONG BootTime;
  ULONGLONG CurrentTime;
  ULONGLONG TimeZoneBias;
  ULONG TimeZoneId;
  ULONG Reserved;
};
static_assert(offsetof(TTimeOfDayInformation, CurrentTime) == 8);
static_assert(sizeof(TTimeOfDayInformation) == 32);

// The head of one class 5 record, up to the process id; records follow each other at
// NextEntryOffset (0 on the last) and the name lies elsewhere in the same buffer.
struct TProcessRecord {
  ULONG NextEntryOffset;
  ULONG NumberOfThreads;
  ULONGLONG Reserved[3];
  ULONGLONG CreateTime;
  ULONGLONG UserTime;    // 100-ns units
  ULONGLONG KernelTime;  // 100-ns units
  USHORT NameLength;     // bytes, without a terminator
  USHORT NameMaximumLength;
  ULONG NameBuffer;  // address of the UTF-16 name
  LONG BasePriority;
  ULONG ProcessId;
};
static_assert(offsetof(TProcessRecord, NextEntryOffset) == 0);
static_assert(offsetof(TProcessRecord, UserTime) == 40);
static_assert(offsetof(TProcessRecord, KernelTime) == 48);
static_assert(offsetof(TProcessRecord, NameLength) == 56);
static_assert(offsetof(TProcessRecord, NameBuffer) == 60);
static_assert(offsetof(TProcessRecord, ProcessId) == 68);
static_assert(sizeof(TProcessRecord) == 72);

// GetProcessMemoryInfo's counters (40 bytes).
struct TMemoryCounters {
  DWORD Size;
  DWORD PageFaultCount;
  ULONG PeakWorkingSetSize;
  ULONG WorkingSetSize;
  ULONG QuotaPeakPagedPoolUsage;
  ULONG QuotaPagedPoolUsage;
  ULONG QuotaPeakNonPagedPoolUsage;
  ULONG QuotaNonPagedPoolUsage;
  ULONG PagefileUsage;
  ULONG PeakPagefileUsage;
};
static_assert(offsetof(TMemoryCounters, WorkingSetSize) == 12);
static_assert(sizeof(TMemoryCounters) == 40);

// NtQuerySystemInformation, looked up in ntdll on first use; kStatusNotImplemented when the
// system lacks it. `returned` may be null.
LONG QuerySystemInformation(ULONG infoClass, void* buffer, ULONG size, ULONG* returned);

// One fixed-size record of `infoClass`; false when the system does not fill it.
template <class T>
bool QuerySystemRecord(ULONG infoClass, T& record) {
  return QuerySystemInformation(infoClass, &record, sizeof record, nullptr) == kStatusSuccess;
}

}  // namespace native

// What the CPU figure is measured from: the idle time summed over all processors and the system
// time, both in 100-ns units, and the number of processors.
struct TProcessorTimes {
  unsigned long long Idle = 0;
  unsigned long long Now = 0;
  int Processors = 0;
};
// False when the system cannot be asked.
bool ReadProcessorTimes(TProcessorTimes& out);
