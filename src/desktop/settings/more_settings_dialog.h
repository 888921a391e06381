#pragma once

#include <QDialog>
#include <QHash>
#include <vector>

#include "core/settings/more_settings.h"

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLineEdit;
class QSpinBox;

namespace leafwright {

// The modal "More Settings" dialog that the settings dialog opens: the
// settings a configuration file keeps after its twelve lines (wrapping,
// form feeds, header and footer, line numbers, font family, text encoding,
// compression, combined documents). It holds its own copy of them; the
// settings dialog takes them over after OK.
class MoreSettingsDialog : public QDialog {
    Q_OBJECT

  public:
    enum Control : int {
        kOkButton = 1,
        kCancelButton = 2,
        kWrapList = 2001,
        kWrapMarkBox = 2002,
        kFormFeedBox = 2003,
        kHeaderField = 2004,
        kFooterField = 2005,
        kHeaderRuleBox = 2006,
        kLineNumbersBox = 2007,
        kLineNumberStartBox = 2008,
        kFontFamilyList = 2009,
        kEncodingList = 2010,
        kCompressBox = 2011,
        kCombineDuplexBox = 2012,
    };

    static constexpr const char* kCaption = "More Settings";

    explicit MoreSettingsDialog(const MoreSettings& values, QWidget* parent = nullptr);
    ~MoreSettingsDialog() override;

    // The values, as the last OK took them from the controls.
    const MoreSettings& values() const { return values_; }

    // Shows the values and runs the dialog modally. Returns QDialog::Accepted
    // for OK, QDialog::Rejected for Cancel.
    int run();

    // The control with the given id; null for an unknown id.
    QWidget* control(int id) const { return controls_.value(id); }

  protected:
    // OK takes the values through the same check as a configuration file's
    // lines; a value refused there (an encoding the system does not know,
    // say) is reported, its field gets the focus and the dialog stays open.
    void accept() override;

  private:
    // One control bound to the setting of that name. A check box shows the
    // setting on when it holds `on`, and gives `on` or `off`.
    struct Binding {
        const char* name;
        QWidget* control;
        const char* on = nullptr;
        const char* off = nullptr;
    };

    void buildControls();
    template <typename Widget>
    Widget* add(int id, Widget* widget);
    void showValues();
    // Takes every control into `taken`; returns the first refused binding,
    // or null.
    const Binding* takeValues(MoreSettings& taken, std::string* refusedValue = nullptr) const;

    MoreSettings values_;
    QHash<int, QWidget*> controls_;
    std::vector<Binding> bindings_;
};

}  // namespace leafwright
