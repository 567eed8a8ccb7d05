#pragma once
// A check box whose click handler runs when the user clicks it and when its state is set from code,
// but only when the state actually changes, as the forms expect.

#include <QCheckBox>
#include <functional>

namespace widgets {

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);

    std::function<void()> OnClick;
};

}  // namespace widgets
