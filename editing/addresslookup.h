#pragma once

#include "editing/addressmode.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace rundel::bridge {
class MapPage;
}
namespace rundel::widgets {
class Dialogs;
}
namespace rundel::session {
class SessionLists;
}

namespace rundel::editing {

struct CsvStop;

/// Where a list lookup stands.
struct LookupProgress {
    qsizetype done = 0;  ///< entries handled (found, not found, or placed from coordinates)
    qsizetype total = 0; ///< entries of the list that need a marker
    qsizetype found = 0; ///< markers placed
    qsizetype not_found = 0;
    bool running = false;
};

/// 住所で移動: in single-address mode the page moves the map to the typed address; in
/// multi-address mode every address of the list is looked up in turn and each one found gets
/// a node, and the addresses not found are reported together at the end. A list line that
/// ends in a latitude and a longitude places its node there without a lookup. Each node
/// remembers the address (or name) it came from.
///
/// A list is a queue that the page's answers move on: nothing waits, the program stays
/// responsive, and stop() ends it with what is placed kept and the rest listed as not looked
/// up.
class AddressLookup : public QObject {
    Q_OBJECT

public:
    AddressLookup(bridge::MapPage& page, session::SessionLists& lists, widgets::Dialogs& dialogs);

    [[nodiscard]] AddressMode address_mode() const { return mode_; }
    void set_address_mode(AddressMode mode) { mode_ = mode; }

    /// Looks up @p typed (single mode) or the entries of @p list (multi mode), as read from
    /// the window the command came from. @p refused: lines of the imported file already
    /// refused, reported with the addresses not found; @p stays: the minutes spent at each
    /// entry of the list (-1 or missing: the day's).
    void lookup(const QString& typed, const QStringList& list, const QStringList& refused = {},
                const QList<int>& stays = {});
    /// 中止: ends a list lookup; the markers placed stay, and the entries not looked up are
    /// listed with those not found.
    void stop();
    /// Ends a list lookup without a word: the program is ending.
    void abandon();

    /// True while a list lookup runs.
    [[nodiscard]] bool busy() const { return progress_.running; }
    /// Refuses (with a message) while a list lookup runs: a second one would mix their
    /// answers. True when the caller may go on.
    bool ensure_idle();

signals:
    /// At the start of a list lookup, after every entry, and at its end (running false).
    void progressChanged(const rundel::editing::LookupProgress& progress);

private:
    enum class Step { Idle, Asking, Placing };

    void next();
    void place(const CsvStop& stop);
    void answered(bool found, bool list_mode);
    void node_placed();
    void finish(bool report = true);

    bridge::MapPage& page_;
    session::SessionLists& lists_;
    widgets::Dialogs& dialogs_;
    AddressMode mode_ = AddressMode::Single;

    QStringList queue_;
    QList<int> stays_; ///< aligned with queue_
    qsizetype next_ = 0;
    Step step_ = Step::Idle;
    QString current_;
    /// Answers still to come for lookups a stop cut short; they belong to no entry.
    int stale_answers_ = 0;
    QString report_; ///< one line per entry not placed, each ending in CR LF
    qsizetype nodes_before_ = 0;
    LookupProgress progress_;
};

} // namespace rundel::editing
