#pragma once

#include "bridge/webenginepage.h"

#include <QTest>
#include <memory>

namespace rundel::test {

/// Runs @p script in the page and waits (in the test, never in the program) for its result.
inline QVariant eval(bridge::WebEnginePage& page, const QString& script, int timeout_ms = 10000) {
    auto answer = std::make_shared<std::optional<QVariant>>();
    page.run(script, [answer](const QVariant& value) { *answer = value; });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, timeout_ms)) {
        qWarning("the page did not answer: %s", qPrintable(script.left(80)));
    }
    return answer->value_or(QVariant());
}

/// The value of the page's element @p id, read through the program's own channel.
inline QString read_value(bridge::PageInterface& page, const QString& id, int timeout_ms = 10000) {
    auto answer = std::make_shared<std::optional<QString>>();
    page.read({id}, [answer](const QStringList& values) { *answer = values.value(0); });
    if (!QTest::qWaitFor([&] { return answer->has_value(); }, timeout_ms)) {
        qWarning("the page did not answer a read of %s", qPrintable(id));
    }
    return answer->value_or(QString());
}

} // namespace rundel::test
