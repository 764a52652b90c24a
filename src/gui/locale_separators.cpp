#include "gui/locale_separators.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

namespace vk2::gui {

namespace {

// The first character of a formatted value that is neither a digit nor a blank.
char separatorIn(const QString& formatted, char fallback, const char* accepted) {
  for (QChar c : formatted) {
    if (c.isDigit() || c.isSpace()) continue;
    const char ascii = c.toLatin1();
    for (const char* a = accepted; *a; ++a)
      if (ascii == *a) return ascii;
    return fallback;
  }
  return fallback;
}

}  // namespace

LocaleSeparators localeSeparators() {
  const QLocale locale;
  if (locale.language() == QLocale::C) return {};
  LocaleSeparators s;
  s.date = separatorIn(locale.toString(QDate(2001, 12, 23), QLocale::ShortFormat), '/', "/.-");
  s.time = separatorIn(locale.toString(QTime(13, 14, 15), QLocale::ShortFormat), ':', ":.");
  return s;
}

}  // namespace vk2::gui
