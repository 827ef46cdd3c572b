#include "bridge/webenginepage.h"

#include "bridge/logging.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <QWebEnginePage>
#include <memory>

namespace rundel::bridge {
namespace {

/// A JSON string literal for @p text, safe to splice into a script.
QString literal(const QString& text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

constexpr int kAnswerTimeoutMs = 10000;

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

QVariant WebEnginePage::run(const QString& script) {
    if (!loaded_ || page_.isNull()) {
        qCWarning(lcBridge) << "no page loaded; command dropped:" << script.left(80);
        return {};
    }
    struct Answer {
        bool done = false;
        QVariant value;
        QEventLoop loop;
    };
    auto answer = std::make_shared<Answer>();
    std::weak_ptr<Answer> weak = answer;
    page_->runJavaScript(script, [weak](const QVariant& value) {
        if (auto alive = weak.lock()) {
            alive->value = value;
            alive->done = true;
            alive->loop.quit();
        }
    });
    if (!answer->done) {
        QTimer::singleShot(kAnswerTimeoutMs, &answer->loop, &QEventLoop::quit);
        answer->loop.exec();
    }
    if (!answer->done) {
        qCWarning(lcBridge) << "the page did not answer:" << script.left(80);
    }
    return answer->value;
}

void WebEnginePage::do_write(const QString& id, const QVariant& value) {
    const QString text = value.typeId() == QMetaType::Int ? QString::number(value.toInt())
                                                          : literal(value.toString());
    const QVariant found =
        run(QStringLiteral("(function(){var e=document.getElementById(%1);if(!e)return false;"
                           "e.value=%2;return true;})()")
                .arg(literal(id), text));
    if (!found.toBool()) {
        qCWarning(lcBridge) << "write: no element" << id;
    }
}

QString WebEnginePage::do_read(const QString& id) {
    const QVariant value = run(QStringLiteral("(function(){var e=document.getElementById(%1);"
                                              "return e?String(e.value):null;})()")
                                   .arg(literal(id)));
    if (value.isNull() || !value.isValid()) {
        qCWarning(lcBridge) << "read: no element" << id;
        return {};
    }
    return value.toString();
}

void WebEnginePage::do_click(const QString& id) {
    const QVariant found =
        run(QStringLiteral("(function(){var e=document.getElementById(%1);if(!e)return false;"
                           "e.click();return true;})()")
                .arg(literal(id)));
    if (!found.toBool()) {
        qCWarning(lcBridge) << "click: no element" << id;
    }
}

void WebEnginePage::do_reset_title() {
    if (!loaded_) {
        return; // titles shown while a page loads are no events; the new page starts idle
    }
    run(QStringLiteral("document.title='tsp';true"));
}

} // namespace rundel::bridge
