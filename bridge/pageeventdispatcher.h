#pragma once

#include <QObject>

namespace rundel::bridge {

class PageInterface;
class PageEventHandler;
struct SharedFlags;

/// Maps the page's title words to the program's actions, then puts the title back to "tsp"
/// so that the page can report the same word again.
class PageEventDispatcher : public QObject {
    Q_OBJECT

public:
    PageEventDispatcher(PageInterface& page, PageEventHandler& handler, SharedFlags& flags,
                        QObject* parent = nullptr);

    /// Handles one title change.
    void dispatch(const QString& title);

private:
    PageInterface& page_;
    PageEventHandler& handler_;
    SharedFlags& flags_;
};

} // namespace rundel::bridge
