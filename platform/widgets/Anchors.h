#pragma once
// Keeps child widgets at their design distances from the edges of their parent as it resizes, as
// the classic forms' anchors do: a widget anchored top and bottom stretches, one anchored only at
// the bottom moves.

#include <QObject>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <vector>

namespace widgets {

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

class Anchors : public QObject {
    Q_OBJECT
public:
    // `designSize` is the parent's client size the design positions refer to.
    Anchors(QWidget* parent, QSize designSize);

    void anchor(QWidget* widget, unsigned anchors);
    // Called after the anchored widgets have been placed for a new parent size.
    std::function<void()> OnResize;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();

    struct Entry {
        QWidget* widget;
        QRect design;
        unsigned anchors;
    };
    QWidget* parent_;
    QSize designSize_;
    std::vector<Entry> entries_;
};

}  // namespace widgets
