#pragma once

#include <cstdint>

namespace tarnik {

// The numbers of the language texts the program writes (the English ones are in
// data/Tarnik.lng.txt). A user's language file keeps these numbers, so they never change.

// The built-in report. A list header is four texts in a row (title, gap, column heads,
// rule); the columns line up with the fixed formats of the list lines.
inline constexpr std::int32_t kBannerTopText = 30000;
inline constexpr std::int32_t kBannerTitleText = 30001;
inline constexpr std::int32_t kBannerBottomText = 30002;
inline constexpr std::int32_t kByTotalTitleText = 30003;
inline constexpr std::int32_t kByTotalGapText = 30004;
inline constexpr std::int32_t kByTotalColumnsText = 30005;
inline constexpr std::int32_t kByTotalRuleText = 30006;
inline constexpr std::int32_t kTopWritersTitleText = 30007;
inline constexpr std::int32_t kTopWritersGapText = 30008;
inline constexpr std::int32_t kTopWritersColumnsText = 30009;
inline constexpr std::int32_t kTopWritersRuleText = 30010;
inline constexpr std::int32_t kTopReadersTitleText = 30011;
inline constexpr std::int32_t kTopReadersGapText = 30012;
inline constexpr std::int32_t kTopReadersColumnsText = 30013;
inline constexpr std::int32_t kTopReadersRuleText = 30014;
inline constexpr std::int32_t kTopSizesTitleText = 30015;
inline constexpr std::int32_t kTopSizesGapText = 30016;
inline constexpr std::int32_t kTopSizesColumnsText = 30017;
inline constexpr std::int32_t kTopSizesRuleText = 30018;
inline constexpr std::int32_t kTopSubjectsTitleText = 30019;
inline constexpr std::int32_t kTopSubjectsGapText = 30020;
inline constexpr std::int32_t kTopSubjectsColumnsText = 30021;
inline constexpr std::int32_t kTopSubjectsRuleText = 30022;
inline constexpr std::int32_t kByDaysTitleText = 30023;
inline constexpr std::int32_t kByDaysGapText = 30024;
inline constexpr std::int32_t kByDaysColumnsText = 30025;
inline constexpr std::int32_t kByDaysRuleText = 30026;
inline constexpr std::int32_t kByDaysFooterText = 30027;
// The hour chart: header lines, then 20 rows of an axis part and 24 cells, then the foot.
inline constexpr std::int32_t kByTimeTitleText = 30028;
inline constexpr std::int32_t kByTimeGapText = 30029;
inline constexpr std::int32_t kByTimePercentText = 30030;
inline constexpr std::int32_t kByTimeAxisTopText = 30031;
inline constexpr std::int32_t kByTimeAxisText = 30032;      // a row without a percent label
inline constexpr std::int32_t kByTimeAxisTickText = 30033;  // after a row's percent label
inline constexpr std::int32_t kByTimeEmptyCellText = 30034;
inline constexpr std::int32_t kByTimeBarCellText = 30035;
inline constexpr std::int32_t kByTimeGridCellText = 30036;
inline constexpr std::int32_t kByTimeAxisBottomText = 30037;
inline constexpr std::int32_t kByTimeHoursText = 30038;
inline constexpr std::int32_t kByDayOfWeekTitleText = 30039;
inline constexpr std::int32_t kByDayOfWeekGapText = 30040;
inline constexpr std::int32_t kByDayOfWeekColumnsText = 30041;
inline constexpr std::int32_t kByDayOfWeekRuleText = 30042;
inline constexpr std::int32_t kByDayOfWeekFooterText = 30043;
inline constexpr std::int32_t kReportTitleText = 30050;
inline constexpr std::int32_t kPeriodText = 30051;
inline constexpr std::int32_t kNoMessagesText = 30052;
inline constexpr std::int32_t kMessagesText = 30053;
inline constexpr std::int32_t kPersonsText = 30054;
inline constexpr std::int32_t kDaysText = 30055;
inline constexpr std::int32_t kMessagesPerDayText = 30056;
inline constexpr std::int32_t kDeliveryTimeText = 30057;

// Console messages. The two scanning texts hold a "%s" for the echo tag (a group of one echo)
// or the group's description.
inline constexpr std::int32_t kScanningEchoText = 30044;
inline constexpr std::int32_t kScanningGroupText = 30045;
inline constexpr std::int32_t kDoneText = 30046;
inline constexpr std::int32_t kUnknownAreaFileTypeText = 30047;
inline constexpr std::int32_t kBaseNotOpenedText = 30048;
inline constexpr std::int32_t kNoBaseText = 30049;
inline constexpr std::int32_t kDataFileFailedText = 30058;
inline constexpr std::int32_t kAreasBbsFailedText = 30059;
inline constexpr std::int32_t kLoadingAreasBbsText = 30060;
inline constexpr std::int32_t kLoadingFastEchoText = 30061;

// The description of a group that has none of its own.
inline constexpr std::int32_t kDefaultDescriptionText = 30062;

}  // namespace tarnik
