#include "bridge/pageinterface.h"

#include <QTimer>

namespace rundel::bridge {

class PageInterface::CommandScope {
public:
    explicit CommandScope(PageInterface& page) : page_(page) { ++page_.command_depth_; }
    ~CommandScope() {
        if (--page_.command_depth_ == 0 && !page_.held_titles_.isEmpty()) {
            page_.flush_held_titles();
        }
    }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

private:
    PageInterface& page_;
};

void PageInterface::write(const QString& id, const QVariant& value) {
    const CommandScope scope(*this);
    do_write(id, value);
}

QString PageInterface::read(const QString& id) {
    const CommandScope scope(*this);
    return do_read(id);
}

void PageInterface::click(const QString& id) {
    const CommandScope scope(*this);
    do_click(id);
}

void PageInterface::reset_title() {
    const CommandScope scope(*this);
    do_reset_title();
}

void PageInterface::notify_title(const QString& title) {
    if (command_depth_ > 0 || !held_titles_.isEmpty()) {
        held_titles_.enqueue(title);
        return;
    }
    emit titleChanged(title);
}

void PageInterface::flush_held_titles() {
    if (flush_scheduled_) {
        return;
    }
    flush_scheduled_ = true;
    // Delivered from the event loop, where the program lets the UI process events, never from
    // inside the command that was running.
    QTimer::singleShot(0, this, [this] {
        flush_scheduled_ = false;
        while (command_depth_ == 0 && !held_titles_.isEmpty()) {
            emit titleChanged(held_titles_.dequeue());
        }
        if (!held_titles_.isEmpty() && command_depth_ == 0) {
            flush_held_titles();
        }
    });
}

} // namespace rundel::bridge
