// The IDs by which the theater's dialogs look up the items of their templates (1000, the info dialog, and
// 2000, the film selection): one list, so that the dialogs and the schedule's dialog side agree on them.
#pragma once

namespace WbDialogItems {

// The tenant part of the info dialog.
constexpr int kRoomNumberItem = 7001;
constexpr int kNameItem = 7003;
constexpr int kPictureItem = 7004;
constexpr int kPictureFrame = 7504;
constexpr int kStatusItem = 7010;
constexpr int kOpenHoursItem = 7021;
constexpr int kShownIncomeItem = 7022;
constexpr int kShownIncomeUnit = 7023;
constexpr int kTotalCustomersItem = 7030;
constexpr int kIncomeItem = 7031;
constexpr int kIncomeUnit = 7032;
constexpr int kCustomerGauge = 7041;
constexpr int kProfitsGauge = 7042;
constexpr int kProfitsUnit = 7043;
constexpr int kBelongPeopleView = 7060;
constexpr int kLinkedPeopleView = 7061;
constexpr int kCommentItem = 7080;
constexpr int kFavoriteButton = 7090;
constexpr int kShowButton = 7092;

// The film part of the info dialog and the selection dialog's preview.
constexpr int kChangeFilmButton = 7099;
constexpr int kRevenueItem = 7107;
constexpr int kCostItem = 7108;
constexpr int kProfitItem = 7109;
constexpr int kShowDaysItem = 7110;
constexpr int kShowTimesItem = 7111;
constexpr int kFilmTable = 7112;
constexpr int kMovieItem = 7123;
constexpr int kTitleItem = 7124;
constexpr int kSecondLineItem = 7125;
constexpr int kNoticeItem = 7126;
constexpr int kCreditsItem = 7130;
constexpr int kCostShownItem = 7131;
constexpr int kPlayHoursItem = 7132;
constexpr int kPlayMinutesItem = 7133;

} // namespace WbDialogItems
