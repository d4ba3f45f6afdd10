// The edge between the core's Windows-1252 texts and Qt's strings.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

#include "text/cp1252.h"

namespace kelvaro::gui {

inline QString toQ(std::string_view cp1252) { return QString::fromStdString(toUtf8(cp1252)); }
inline std::string fromQ(const QString& text) { return fromUtf8(text.toStdString()); }

inline QStringList toQList(const std::vector<std::string>& texts) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(texts.size()));
  for (const auto& text : texts) list << toQ(text);
  return list;
}

}  // namespace kelvaro::gui
