#include "system/NativeInfo.h"

#include "system/DllFunction.h"

namespace native {

LONG QuerySystemInformation(ULONG infoClass, void* buffer, ULONG size, ULONG* returned) {
  using TQuery = LONG WINAPI(ULONG, void*, ULONG, ULONG*);
  const auto query = DllFunction<TQuery>("ntdll.dll", "NtQuerySystemInformation");
  return query ? query(infoClass, buffer, size, returned) : kStatusNotImplemented;
}

}  // namespace native

bool ReadProcessorTimes(TProcessorTimes& out) {
  native::TBasicInformation basic{};
  native::TTimeOfDayInformation timeOfDay{};
  native::TPerformanceInformation performance{};
  if (!native::QuerySystemRecord(native::kBasicInformation, basic) ||
      !native::QuerySystemRecord(native::kTimeOfDayInformation, timeOfDay) ||
      !native::QuerySystemRecord(native::kPerformanceInformation, performance))
    return false;
  out.Idle = performance.IdleTime;
  out.Now = timeOfDay.CurrentTime;
  out.Processors = basic.NumberOfProcessors;
  return true;
}
