#pragma once

#include "widgets/isbutton.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QObject>
#include <QSlider>
#include <QStringList>

namespace rundel::test {

/// The control named @p name (its objectName) inside @p form; a test that names a control the
/// form does not have stops there.
template <typename Control> Control& control(const QObject& form, const char* name) {
    auto* found = form.findChild<Control*>(QString::fromLatin1(name));
    if (found == nullptr) {
        qFatal("no control %s in %s", name, qPrintable(form.objectName()));
    }
    return *found;
}

inline widgets::isButton& button(const QObject& form, const char* name) {
    return control<widgets::isButton>(form, name);
}
inline QLineEdit& box(const QObject& form, const char* name) {
    return control<QLineEdit>(form, name);
}
inline QComboBox& combo(const QObject& form, const char* name) {
    return control<QComboBox>(form, name);
}
inline QListWidget& list(const QObject& form, const char* name) {
    return control<QListWidget>(form, name);
}
inline QAction& action(const QObject& form, const char* name) {
    return control<QAction>(form, name);
}

/// The texts of @p list's rows.
inline QStringList items(const QListWidget& list) {
    QStringList out;
    for (int i = 0; i < list.count(); ++i) {
        out << list.item(i)->text();
    }
    return out;
}

} // namespace rundel::test
