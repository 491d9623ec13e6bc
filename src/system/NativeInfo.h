// The system records the program reads below the documented API, declared field by field, with
// every offset the code relies on checked when it compiles. Address-sized fields follow the
// program's own size: 64-bit Windows hands a 32-bit program the 32-bit layout, and the test build
// for machines without 32-bit code is a 64-bit program.
#pragma once

#include <windows.h>

#include <cstddef>

namespace native {

// The first value on a 32-bit program, the second on a 64-bit one.
constexpr size_t kBy(size_t bits32, size_t bits64) {
  return sizeof(void*) == 4 ? bits32 : bits64;
}

// Information classes of NtQuerySystemInformation.
inline constexpr ULONG kBasicInformation = 0;
inline constexpr ULONG kPerformanceInformation = 2;
inline constexpr ULONG kTimeOfDayInformation = 3;
inline constexpr ULONG kProcessInformation = 5;

inline constexpr LONG kStatusSuccess = 0;
inline constexpr LONG kStatusNotImplemented = static_cast<LONG>(0xC0000002);
inline constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
inline constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);

// Class 0 (exactly 44 bytes; 64 in a 64-bit program).
struct TBasicInformation {
  ULONG Reserved;
  ULONG TimerResolution;
  ULONG PageSize;
  ULONG NumberOfPhysicalPages;
  ULONG LowestPhysicalPageNumber;
  ULONG HighestPhysicalPageNumber;
  ULONG AllocationGranularity;
  ULONG_PTR MinimumUserModeAddress;
  ULONG_PTR MaximumUserModeAddress;
  ULONG_PTR ActiveProcessorsAffinityMask;
  UCHAR NumberOfProcessors;
};
static_assert(offsetof(TBasicInformation, NumberOfProcessors) == kBy(40, 56));
static_assert(sizeof(TBasicInformation) == kBy(44, 64));

// Class 2 (312 bytes; 344 in a 64-bit program); only the idle time, summed over the processors,
// is read.
struct TPerformanceInformation {
  ULONGLONG IdleTime;
  UCHAR Rest[kBy(304, 336)];
};
static_assert(offsetof(TPerformanceInformation, IdleTime) == 0);
static_assert(sizeof(TPerformanceInformation) == kBy(312, 344));

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
  ULONG_PTR NameBuffer;  // address of the UTF-16 name
  LONG BasePriority;
  ULONG_PTR ProcessId;
};
static_assert(offsetof(TProcessRecord, NextEntryOffset) == 0);
static_assert(offsetof(TProcessRecord, UserTime) == 40);
static_assert(offsetof(TProcessRecord, KernelTime) == 48);
static_assert(offsetof(TProcessRecord, NameLength) == 56);
static_assert(offsetof(TProcessRecord, NameBuffer) == kBy(60, 64));
static_assert(offsetof(TProcessRecord, ProcessId) == kBy(68, 80));
static_assert(sizeof(TProcessRecord) == kBy(72, 88));

// GetProcessMemoryInfo's counters (40 bytes; 72 in a 64-bit program).
struct TMemoryCounters {
  DWORD Size;
  DWORD PageFaultCount;
  SIZE_T PeakWorkingSetSize;
  SIZE_T WorkingSetSize;
  SIZE_T QuotaPeakPagedPoolUsage;
  SIZE_T QuotaPagedPoolUsage;
  SIZE_T QuotaPeakNonPagedPoolUsage;
  SIZE_T QuotaNonPagedPoolUsage;
  SIZE_T PagefileUsage;
  SIZE_T PeakPagefileUsage;
};
static_assert(offsetof(TMemoryCounters, WorkingSetSize) == kBy(12, 16));
static_assert(sizeof(TMemoryCounters) == kBy(40, 72));

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
