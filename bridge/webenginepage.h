#pragma once

#include "bridge/pageinterface.h"

#include <QPointer>
#include <QWebEnginePage>

namespace rundel::bridge {

/// The command channel over a Qt WebEngine page. Each command is a small script sent without
/// waiting; the page runs them in the order sent, so a read sees every write before it. Ids
/// and values travel as JSON strings, so no text can break out of the script.
class WebEnginePage final : public PageInterface {
    Q_OBJECT

public:
    explicit WebEnginePage(QWebEnginePage* page, QObject* parent = nullptr);

    [[nodiscard]] bool is_loaded() const override { return loaded_; }
    [[nodiscard]] QWebEnginePage* page() const { return page_; }

    /// Runs @p script; @p done (if any) gets its result, unless this channel or the page goes
    /// away first. Dropped, with a warning, when no page is loaded.
    void run(const QString& script, std::function<void(const QVariant&)> done = {});

protected:
    void do_write(const QString& id, const QVariant& value) override;
    void do_read(const QStringList& ids, Answer answer) override;
    void do_click(const QString& id) override;
    void do_reset_title() override;

private:
    QPointer<QWebEnginePage> page_;
    bool loaded_ = false;
};

} // namespace rundel::bridge
