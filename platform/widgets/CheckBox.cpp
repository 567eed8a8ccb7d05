#include "CheckBox.h"

namespace widgets {

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {
    // toggled comes for clicks and for setChecked, and only when the state changes.
    connect(this, &QCheckBox::toggled, this, [this](bool) {
        if (OnClick) OnClick();
    });
}

}  // namespace widgets
