#include "tempclean/TmpCleanState.h"

#include "system/Text.h"

TTmpCleanJobState TmpCleanState;

const char kTmpCleanStartLine[] = "开始清理临时文件...";

void TTmpCleanJobState::Reset() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    totals_ = TTmpCleanTotals();
  }
  TmpCleanLastStep = false;
  TmpCleanStopped = false;
}

TTmpCleanTotals TTmpCleanJobState::AddDeleted(unsigned long sizeBytes) {
  std::lock_guard<std::mutex> hold(lock_);
  TTmpCleanTotals& t = totals_;
  ++t.DelTmpCount;
  // The size is taken unsigned: a file of 2 GiB or more must not shrink the total.
  t.DelTmpSizeKB += static_cast<int>(sizeBytes / 1024);
  if (t.DelTmpInMB) {
    t.DelTmpSizeText = std::to_string(t.DelTmpSizeKB / 1024) + "MB";
  } else {
    // The unit changes with the deletion after the one that passes 1024 KB.
    if (t.DelTmpSizeKB > 1024) t.DelTmpInMB = true;
    t.DelTmpSizeText = std::to_string(t.DelTmpSizeKB) + "KB";
  }
  return t;
}

TTmpCleanTotals TTmpCleanJobState::Totals() const {
  std::lock_guard<std::mutex> hold(lock_);
  return totals_;
}

TTmpCleanTotals TTmpCleanJobState::TotalsForSummary() {
  std::lock_guard<std::mutex> hold(lock_);
  if (totals_.DelTmpSizeText.empty()) totals_.DelTmpSizeText = "0.0KB";
  return totals_;
}

std::wstring TmpDeletedLine(const std::wstring& path) {
  return WideFrom("删除 ") + path + WideFrom(" 成功.");
}

std::wstring TmpInUseLine(const std::wstring& path) {
  return WideFrom("删除 ") + path + WideFrom(" 失败,文件正在使用中.");
}

std::string TmpProgressText(const TTmpCleanTotals& t) {
  return "临时文件清理中...,成功删除了" + std::to_string(t.DelTmpCount) + "个临时文件,释放了" +
         t.DelTmpSizeText + "空间.";
}

std::string TmpSummaryText(const TTmpCleanTotals& t) {
  return "临时文件清理完成,共成功删除了" + std::to_string(t.DelTmpCount) + "个临时文件,释放了" +
         t.DelTmpSizeText + "空间.";
}
