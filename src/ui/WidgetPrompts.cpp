// SPDX-License-Identifier: MIT
#include "ui/WidgetPrompts.h"

#include "ui/ShownText.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace kv::ui {

void WidgetPrompts::warning(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Warning, shownText(title).trimmed(), text, QMessageBox::Ok,
                    m_parent);
    box.exec();
}

std::optional<QString> WidgetPrompts::openFile(const FileDialogRequest& request) {
    return run(request, false);
}

std::optional<QString> WidgetPrompts::saveFile(const FileDialogRequest& request) {
    return run(request, true);
}

QStringList WidgetPrompts::nameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i];
        caption.remove(trailingPatterns);
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            for (const QString& form : {p.trimmed(), p.trimmed().toLower(), p.trimmed().toUpper()})
                if (!patterns.contains(form))
                    patterns << form;
        }
        filters << caption + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

std::optional<QString> WidgetPrompts::run(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Names are used as typed; no extension is added and no overwrite question asked.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = nameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.filterIndex >= 1 && request.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.filterIndex - 1]);
    if (!request.initialDir.isEmpty()) {
        const QFileInfo start(request.initialDir);
        // A file path opens its folder.
        dialog.setDirectory(start.isDir() ? start.absoluteFilePath() : start.absolutePath());
    } else if (const auto last = m_lastFolder.constFind(request.filter);
               last != m_lastFolder.cend()) {
        dialog.setDirectory(*last);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    m_lastFolder.insert(request.filter, QFileInfo(chosen).absolutePath());
    return chosen;
}

}  // namespace kv::ui
