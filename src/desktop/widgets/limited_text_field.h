#pragma once

#include <QLineEdit>
#include <QString>

namespace leafwright {

// A text field that limits what the user can type to a number of characters
// without cutting a longer text that the program shows in it. Qt's own
// maximum length would shorten such a text on the spot; here it stays whole,
// so that the dialog can notice it and ask the user to shorten it. The user
// can always delete characters, but never make a text longer than the limit
// or keep it as long while it is over the limit.
class LimitedTextField : public QLineEdit {
    Q_OBJECT

  public:
    explicit LimitedTextField(QWidget* parent = nullptr);

    void setTypingLimit(int limit);
    int typingLimit() const { return limit_; }

    // Shows a text of any length. Use this rather than setText, which would
    // leave the field unable to refuse the next edit past the limit.
    void showText(const QString& text);

    // Whether the field holds more characters than the limit.
    bool overLimit() const { return limit_ >= 0 && text().size() > limit_; }

  private:
    class Validator;

    int limit_ = -1;
    Validator* validator_ = nullptr;
};

}  // namespace leafwright
