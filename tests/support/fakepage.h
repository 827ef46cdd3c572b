#pragma once

#include "bridge/pageinterface.h"
#include "rundel/pagecontract.h"

#include <QHash>
#include <QStringList>
#include <QTest>
#include <functional>
#include <utility>

namespace rundel::test {

/// A scriptable map page: element values in a table, click handlers, and a log of every
/// command in the form "write id=value", "read id", "click id", "reset". Like the real page it
/// has only the elements of the page contract: a command to any other id fails the test.
/// Reads answer at once, as the real page's answers come in the order asked.
class FakePage final : public bridge::PageInterface {
    Q_OBJECT

public:
    using PageInterface::PageInterface;

    [[nodiscard]] bool is_loaded() const override { return true; }

    /// The page shows @p title (as a real page does when it raises an event).
    void show_title(const QString& title) {
        title_ = title;
        notify_title(title);
    }
    [[nodiscard]] const QString& title() const { return title_; }

    /// Holds the answers to reads back until release_reads(), as a busy page would.
    bool hold_reads = false;
    void release_reads() {
        hold_reads = false;
        for (const auto& answer : std::exchange(held_, {})) {
            answer();
        }
    }

    QHash<QString, QString> values;
    QHash<QString, std::function<void()>> on_click;
    QStringList log;

protected:
    void do_write(const QString& id, const QVariant& value) override {
        refuse_unknown(id);
        log.append(QStringLiteral("write %1=%2").arg(id, value.toString()));
        values.insert(id, value.toString());
    }
    void do_read(const QStringList& ids, Answer answer) override {
        for (const QString& id : ids) {
            refuse_unknown(id);
            log.append(QStringLiteral("read ") + id);
        }
        const auto respond = [this, ids, answer] {
            QStringList answers;
            for (const QString& id : ids) {
                answers.append(values.value(id));
            }
            answer(answers);
        };
        if (hold_reads) {
            held_.append(respond);
        } else {
            respond();
        }
    }
    void do_click(const QString& id) override {
        refuse_unknown(id);
        log.append(QStringLiteral("click ") + id);
        if (const auto handler = on_click.value(id)) {
            handler();
        }
    }
    void do_reset_title() override {
        log.append(QStringLiteral("reset"));
        title_ = QStringLiteral("tsp");
    }

private:
    static void refuse_unknown(const QString& id) {
        if (!contract::is_element(id.toStdString())) {
            QTest::qFail(
                qPrintable(QStringLiteral("no element \"%1\" in the page contract").arg(id)),
                __FILE__, __LINE__);
        }
    }

    QString title_ = QStringLiteral("tsp");
    QList<std::function<void()>> held_;
};

} // namespace rundel::test
