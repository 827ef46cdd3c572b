#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace rundel::bridge {

/// The command channel into the map page: write, read and click an element by id, and put the
/// title back to the idle word. Page events arrive as titleChanged().
///
/// Nothing here waits: commands are sent in order and return at once, and a read answers
/// through its callback once the page has run every command sent before it. Only the typed
/// MapPage above this channel spells element ids.
class PageInterface : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    /// Receives the values of the elements read, in the order asked; an element the page
    /// lacks reads as an empty text.
    using Answer = std::function<void(const QStringList& values)>;

    /// Sets the element's value (a text, or a number for numeric elements).
    void write(const QString& id, const QVariant& value);
    /// Reads the elements' values; @p answer is not called when the channel goes away first.
    /// Without a page loaded every value reads empty.
    void read(const QStringList& ids, Answer answer);
    void click(const QString& id);
    void reset_title();

    /// True once a page is loaded and commands reach it.
    [[nodiscard]] virtual bool is_loaded() const = 0;

signals:
    void titleChanged(const QString& title);

protected:
    virtual void do_write(const QString& id, const QVariant& value) = 0;
    virtual void do_read(const QStringList& ids, Answer answer) = 0;
    virtual void do_click(const QString& id) = 0;
    virtual void do_reset_title() = 0;

    /// Implementations report every title the page shows through here.
    void notify_title(const QString& title) { emit titleChanged(title); }
};

} // namespace rundel::bridge
