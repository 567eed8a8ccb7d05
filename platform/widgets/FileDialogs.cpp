#include "FileDialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace widgets {

namespace {
FileDialog::Answerer& customAnswerer() {
    static FileDialog::Answerer answerer;
    return answerer;
}
}  // namespace

QString qtFilterFromClassic(const QString& classicFilter) {
    const QStringList parts = classicFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

FileDialog::Answerer& FileDialog::answerer() {
    return customAnswerer();
}

bool FileDialog::Execute(QWidget* parent) {
    std::optional<QString> chosen;
    if (customAnswerer()) {
        chosen = customAnswerer()(*this);
    } else {
        const QString filter = qtFilterFromClassic(Filter);
        const QString path = kind_ == Kind::open
                                 ? QFileDialog::getOpenFileName(parent, Title, FileName, filter)
                                 : QFileDialog::getSaveFileName(parent, Title, FileName, filter);
        if (!path.isEmpty()) chosen = path;
    }
    if (!chosen) return false;
    FileName = *chosen;
    return true;
}

}  // namespace widgets
