#include "WindowlessAccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>

#include "WindowlessHost.h"

namespace windowless {

namespace {

class ControlAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ControlAccessible(WindowlessHost* host, WindowlessControl* control) : host_(host), control_(control) {}

    bool isValid() const override {
        return host_ != nullptr && std::find(host_->controls().begin(), host_->controls().end(), control_) !=
                                       host_->controls().end();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return host_ != nullptr ? host_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(host_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text kind) const override {
        if (!isValid()) return {};
        switch (kind) {
            case QAccessible::Name:
                return control_->accessibleName();
            case QAccessible::Description:
                return control_->hint();
            default:
                return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return {};
        const gdi::Rect b = control_->boundsRect();
        return QRect(host_->mapToGlobal(QPoint(b.left, b.top)), QSize(b.width(), b.height()));
    }
    QAccessible::Role role() const override {
        return control_ != nullptr && control_->OnClick ? QAccessible::Button : QAccessible::StaticText;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.disabled = !control_->enabled();
        state.invisible = !control_->visible();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override {
        if (!isValid() || !control_->OnClick || !control_->enabled()) return {};
        return {pressAction()};
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid() && control_->enabled() && control_->OnClick)
            control_->OnClick(control_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    WindowlessHost* host_;
    WindowlessControl* control_;
};

// The host: its windowed children first, then the windowless ones in z-order.
class HostAccessible : public QAccessibleWidget {
public:
    explicit HostAccessible(WindowlessHost* host) : QAccessibleWidget(host, QAccessible::Grouping) {}

    int childCount() const override {
        return QAccessibleWidget::childCount() + static_cast<int>(hostWidget()->controls().size());
    }
    QAccessibleInterface* child(int index) const override {
        const int windowed = QAccessibleWidget::childCount();
        if (index < windowed) return QAccessibleWidget::child(index);
        const auto& controls = hostWidget()->controls();
        const auto at = static_cast<std::size_t>(index - windowed);
        if (at >= controls.size()) return nullptr;
        return interfaceFor(controls[at]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const int windowed = QAccessibleWidget::indexOfChild(child);
        if (windowed >= 0) return windowed;
        for (int i = QAccessibleWidget::childCount(); i < childCount(); ++i) {
            if (this->child(i) == child) return i;
        }
        return -1;
    }

private:
    WindowlessHost* hostWidget() const { return static_cast<WindowlessHost*>(widget()); }

    QAccessibleInterface* interfaceFor(WindowlessControl* control) const {
        auto& cache = interfaces_[control];
        if (cache == 0 || QAccessible::accessibleInterface(cache) == nullptr) {
            cache = QAccessible::registerAccessibleInterface(new ControlAccessible(hostWidget(), control));
        }
        return QAccessible::accessibleInterface(cache);
    }

    mutable std::map<WindowlessControl*, QAccessible::Id> interfaces_;
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("windowless::WindowlessHost") && object != nullptr &&
        object->isWidgetType()) {
        return new HostAccessible(static_cast<WindowlessHost*>(object));
    }
    return nullptr;
}

}  // namespace

void installWindowlessAccessibility() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(factory);
}

}  // namespace windowless
