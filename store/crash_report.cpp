#include "store/crash_report.h"

#include "core/encoding.h"
#include "store/program_paths.h"
#include "store/whole_file.h"

namespace skyrill {

std::string crashSummary(std::string_view heldText) {
  if (gb18030Length(heldText) <= kCrashSummaryBytes) return std::string(heldText);
  return gb18030Prefix(heldText, kCrashSummaryBytes) + " ..";
}

std::string crashQuestionText(int errorNumber, std::string_view errorText,
                              std::string_view heldText) {
  return "程序出错，需要关闭。\r\n错误信息：" + std::to_string(errorNumber) + " " +
         std::string(errorText) +
         "\r\n是否保存本次获取的数据？将该数据提交至软件作者可以更容易定位错误所在并修复这个错误。"
         "\r\n数据摘要：\r\n长度 " +
         std::to_string(gb18030Length(heldText)) + "\r\n" + crashSummary(heldText);
}

std::filesystem::path crashReportPath(const std::filesystem::path& programFile) {
  std::filesystem::path folder = programPlaces(programFile.parent_path()).dataFolder;
  // With no data folder known, not the current folder: the temporary one.
  std::error_code error;
  if (folder.empty()) folder = std::filesystem::temp_directory_path(error);
  return folder / (programFile.filename().string() + "_Bug.log");
}

bool writeCrashReport(const std::filesystem::path& path, std::string_view heldText) {
  return writeWholeFile(path, utf8ToGb18030(heldText));
}

std::string crashSavedText(const std::filesystem::path& path) {
  return "数据保存完成。\r\n保存在 " + path.string() + " 文件中。";
}

}  // namespace skyrill
