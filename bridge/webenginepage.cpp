#include "bridge/webenginepage.h"

#include "bridge/logging.h"
#include "rundel/pagecontract.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebEnginePage>

namespace rundel::bridge {
namespace {

/// A JSON literal for @p value, safe to splice into a script.
QString literal(const QJsonValue& value) {
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString literal(const QStringList& texts) {
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
}

} // namespace

WebEnginePage::WebEnginePage(QWebEnginePage* page, QObject* parent)
    : PageInterface(parent), page_(page) {
    // A command sent while a new document loads would reach the old one: commands wait for
    // the load to finish.
    connect(page, &QWebEnginePage::loadStarted, this, [this] { loaded_ = false; });
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool ok) { loaded_ = ok; });
    connect(page, &QWebEnginePage::titleChanged, this,
            [this](const QString& title) { notify_title(title); });
}

void WebEnginePage::run(const QString& script, std::function<void(const QVariant&)> done) {
    if (!loaded_ || page_.isNull()) {
        qCWarning(lcBridge) << "no page loaded; command dropped:" << script.left(80);
        return;
    }
    if (!done) {
        page_->runJavaScript(script);
        return;
    }
    page_->runJavaScript(script, [alive = QPointer<WebEnginePage>(this),
                                  done = std::move(done)](const QVariant& value) {
        if (alive) {
            done(value);
        }
    });
}

void WebEnginePage::do_write(const QString& id, const QVariant& value) {
    const QString text = value.typeId() == QMetaType::Int ? QString::number(value.toInt())
                                                          : literal(value.toString());
    run(QStringLiteral("(function(){var e=document.getElementById(%1);if(!e)return false;"
                       "e.value=%2;return true;})()")
            .arg(literal(id), text),
        [id](const QVariant& found) {
            if (!found.toBool()) {
                qCWarning(lcBridge) << "write: no element" << id;
            }
        });
}

void WebEnginePage::do_read(const QStringList& ids, Answer answer) {
    if (!loaded_ || page_.isNull()) {
        // Nothing to read from: empty values, from the event loop as a page's answer comes.
        QTimer::singleShot(0, this, [count = ids.size(), answer = std::move(answer)] {
            answer(QStringList(count, QString()));
        });
        return;
    }
    run(QStringLiteral("%1.map(function(id){var e=document.getElementById(id);"
                       "return e?String(e.value):null;})")
            .arg(literal(ids)),
        [ids, answer = std::move(answer)](const QVariant& result) {
            const QVariantList values = result.toList();
            QStringList texts;
            for (qsizetype i = 0; i < ids.size(); ++i) {
                const QVariant value = values.value(i);
                if (value.isNull() || !value.isValid()) {
                    qCWarning(lcBridge) << "read: no element" << ids.at(i);
                }
                texts.append(value.toString());
            }
            answer(texts);
        });
}

void WebEnginePage::do_click(const QString& id) {
    run(QStringLiteral("(function(){var e=document.getElementById(%1);if(!e)return false;"
                       "e.click();return true;})()")
            .arg(literal(id)),
        [id](const QVariant& found) {
            if (!found.toBool()) {
                qCWarning(lcBridge) << "click: no element" << id;
            }
        });
}

void WebEnginePage::do_reset_title() {
    if (!loaded_) {
        return; // titles shown while a page loads are no events; the new page starts idle
    }
    run(QStringLiteral("document.title=%1;true")
            .arg(
                literal(QString::fromLatin1(contract::kIdleTitle.data(),
                                            static_cast<qsizetype>(contract::kIdleTitle.size())))));
}

} // namespace rundel::bridge
