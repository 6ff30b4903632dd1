#pragma once

#include <QString>

// Measures shared by the button's behaviour, drawing and property files; inside the library only.
namespace FlatButtonMetrics {

inline const QString kDefaultCaption = QStringLiteral("FlatButton");

constexpr int kEdgeTwips = 25;
constexpr int kGapTwips = 50;
constexpr int kShiftTwips = 15;
constexpr int kSeparatorTwips = 105;
constexpr int kPollMs = 50;
constexpr int kToolButtonPx = 24;

} // namespace FlatButtonMetrics
