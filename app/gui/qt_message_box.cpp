#include "qt_message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "text_codec.h"

namespace brindle::gui {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

MsgAnswer QtMessageBox::Show(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon, const std::string& details) {
  QMessageBox box(icon == MsgIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                  FromCodePage(title), FromCodePage(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  box.setObjectName("brindleMessageBox");
  box.setTextFormat(Qt::PlainText);
  if (!details.empty()) box.setDetailedText(QString::fromUtf8(details));
  if (buttons == MsgButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  const int answer = box.exec();
  if (buttons == MsgButtons::OK) return MsgAnswer::OK;
  // Closing a question box by other means counts as the cautious answer.
  return answer == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
}

}  // namespace brindle::gui
