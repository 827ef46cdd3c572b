#include "widgets/messageboxdialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace rundel::widgets {

void MessageBoxDialogs::message(const QString& text, const QString& title) {
    QMessageBox::information(parent_, title, text, QMessageBox::Ok);
}

bool MessageBoxDialogs::confirm(const QString& text, const QString& title) {
    return QMessageBox::question(parent_, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                                 QMessageBox::Cancel) == QMessageBox::Ok;
}

} // namespace rundel::widgets

namespace rundel::widgets {

QString MessageBoxDialogs::open_file(const QString& title, const QString& filters,
                                     const QString& folder) {
    return QFileDialog::getOpenFileName(parent_, title, folder, filters);
}

std::optional<int> MessageBoxDialogs::ask_number(const QString& text, const QString& title,
                                                 int value, int lowest, int highest) {
    bool ok = false;
    const int number = QInputDialog::getInt(parent_, title, text, value, lowest, highest, 1, &ok);
    return ok ? std::optional<int>(number) : std::nullopt;
}

} // namespace rundel::widgets
