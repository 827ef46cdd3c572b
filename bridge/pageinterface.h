#pragma once

#include <QObject>
#include <QQueue>
#include <QString>
#include <QVariant>

namespace rundel::bridge {

/// The command channel into the map page: write, read and click an element by id, and put the
/// title back to "tsp". Page events arrive as titleChanged().
///
/// A title change that arrives while a command is in progress (real pages answer through a
/// nested event loop) is held back and delivered, in order, once the command has returned and
/// the event loop runs again; no title change is delivered twice or dropped.
class PageInterface : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    /// Sets the element's value (a text, or a number for numeric elements).
    void write(const QString& id, const QVariant& value);
    /// The element's value as text; empty when the page or the element is missing.
    [[nodiscard]] QString read(const QString& id);
    void click(const QString& id);
    void reset_title();

    /// True once a page is loaded and commands reach it.
    [[nodiscard]] virtual bool is_loaded() const = 0;

signals:
    void titleChanged(const QString& title);

protected:
    virtual void do_write(const QString& id, const QVariant& value) = 0;
    virtual QString do_read(const QString& id) = 0;
    virtual void do_click(const QString& id) = 0;
    virtual void do_reset_title() = 0;

    /// Implementations report every title the page shows through here.
    void notify_title(const QString& title);

private:
    class CommandScope;
    void flush_held_titles();

    int command_depth_ = 0;
    bool flush_scheduled_ = false;
    QQueue<QString> held_titles_;
};

} // namespace rundel::bridge
