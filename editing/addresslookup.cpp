#include "editing/addresslookup.h"

#include "bridge/mappage.h"
#include "editing/csvstops.h"
#include "session/sessionlists.h"
#include "widgets/dialogs.h"

namespace rundel::editing {

AddressLookup::AddressLookup(bridge::MapPage& page, session::SessionLists& lists,
                             widgets::Dialogs& dialogs)
    : page_(page), lists_(lists), dialogs_(dialogs) {
    connect(&page, &bridge::MapPage::addressAnswered, this, &AddressLookup::answered);
    connect(&lists, &session::SessionLists::nodeAppended, this, &AddressLookup::node_placed);
}

bool AddressLookup::ensure_idle() {
    if (!busy()) {
        return true;
    }
    dialogs_.message(QStringLiteral("住所の検索中です。終わってからもう一度実行してください。"));
    return false;
}

void AddressLookup::lookup(const QString& typed, const QStringList& list,
                           const QStringList& refused, const QList<int>& stays) {
    if (!ensure_idle()) {
        return;
    }
    if (mode_ == AddressMode::Single) {
        if (typed.isEmpty()) {
            return;
        }
        lists_.offer_source(typed);
        page_.look_up(typed, bridge::LookupMode::Single);
        return;
    }
    queue_.clear();
    stays_.clear();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!list.at(i).isEmpty()) {
            queue_.append(list.at(i));
            stays_.append(stays.value(i, -1));
        }
    }
    report_.clear();
    for (const QString& line : refused) {
        report_ += line + QStringLiteral("\r\n");
    }
    next_ = 0;
    nodes_before_ = lists_.nodes().size();
    progress_ = {0, queue_.size(), 0, 0, true};
    emit progressChanged(progress_);
    next();
}

void AddressLookup::next() {
    if (next_ >= queue_.size()) {
        finish();
        return;
    }
    current_ = queue_.at(next_++);
    if (const CsvStop stop = classify_stop_line(current_); stop.located) {
        place(stop);
        return;
    }
    step_ = Step::Asking;
    page_.look_up(current_, bridge::LookupMode::List);
}

void AddressLookup::place(const CsvStop& stop) {
    step_ = Step::Placing;
    lists_.expect_source(stop.address);
    lists_.expect_stay(stays_.value(next_ - 1, -1));
    page_.add_marker(stop.latitude, stop.longitude);
}

void AddressLookup::answered(bool found, bool list_mode) {
    if (!list_mode) {
        return;
    }
    if (stale_answers_ > 0) {
        --stale_answers_;
        return;
    }
    if (step_ != Step::Asking) {
        return;
    }
    if (found) {
        step_ = Step::Placing;
        lists_.expect_source(current_);
        lists_.expect_stay(stays_.value(next_ - 1, -1));
        page_.add_marker_at_found_place();
        return;
    }
    report_ += current_ + QStringLiteral(" の座標を取得できませんでした\r\n");
    ++progress_.done;
    ++progress_.not_found;
    emit progressChanged(progress_);
    next();
}

void AddressLookup::node_placed() {
    if (step_ != Step::Placing) {
        return; // a marker placed by hand
    }
    ++progress_.done;
    ++progress_.found;
    emit progressChanged(progress_);
    next();
}

void AddressLookup::stop() {
    if (!busy()) {
        return;
    }
    if (step_ == Step::Asking) {
        ++stale_answers_;
        --next_; // the entry asked about is not looked up either
    }
    // A marker already asked for arrives and stays; it is counted as placed by nobody.
    for (qsizetype i = next_; i < queue_.size(); ++i) {
        report_ += queue_.at(i) + QStringLiteral(" は検索していません（中止）\r\n");
    }
    finish();
}

void AddressLookup::abandon() {
    if (busy()) {
        stale_answers_ += step_ == Step::Asking ? 1 : 0;
        finish(false);
    }
}

void AddressLookup::finish(bool report) {
    step_ = Step::Idle;
    queue_.clear();
    next_ = 0;
    progress_.running = false;
    emit progressChanged(progress_);
    if (!report) {
        return;
    }
    if (lists_.nodes().size() != nodes_before_) {
        page_.pan(bridge::PanDirection::Centre); // every marker in view, once, at the end
    }
    if (!report_.isEmpty()) {
        dialogs_.message(report_);
    }
}

} // namespace rundel::editing
