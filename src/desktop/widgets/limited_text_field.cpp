#include "desktop/widgets/limited_text_field.h"

#include <QValidator>

namespace leafwright {

// Refuses an edit that leaves the text over the limit unless it makes the
// text shorter. It compares with the text the field held before the edit,
// which it follows through textChanged.
class LimitedTextField::Validator : public QValidator {
  public:
    explicit Validator(QObject* parent) : QValidator(parent) {}

    void setLimit(int limit) { limit_ = limit; }
    void setCurrent(const QString& text) { current_ = text; }

    State validate(QString& input, int& /*position*/) const override {
        if (limit_ < 0 || input.size() <= limit_ || input == current_) return Acceptable;
        return input.size() < current_.size() ? Acceptable : Invalid;
    }

  private:
    int limit_ = -1;
    QString current_;
};

LimitedTextField::LimitedTextField(QWidget* parent)
    : QLineEdit(parent), validator_(new Validator(this)) {
    setValidator(validator_);
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { validator_->setCurrent(text); });
}

void LimitedTextField::setTypingLimit(int limit) {
    limit_ = limit;
    validator_->setLimit(limit);
}

void LimitedTextField::showText(const QString& text) {
    // The validator sees the new text as the current one, so the field counts
    // it as valid input and refuses the next edit that would lengthen it.
    validator_->setCurrent(text);
    setText(text);
}

}  // namespace leafwright
