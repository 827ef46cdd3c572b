#pragma once

#include "bridge/pageinterface.h"

#include <QPointer>
#include <QWebEnginePage>

namespace rundel::bridge {

/// The command channel over a Qt WebEngine page. Each command runs a small script and waits
/// for its answer in a nested event loop; ids and values travel as JSON strings, so no text
/// can break out of the script.
class WebEnginePage final : public PageInterface {
    Q_OBJECT

public:
    explicit WebEnginePage(QWebEnginePage* page, QObject* parent = nullptr);

    [[nodiscard]] bool is_loaded() const override { return loaded_; }
    [[nodiscard]] QWebEnginePage* page() const { return page_; }

    /// Runs @p script and returns its result; invalid when the page is not loaded or does not
    /// answer within a few seconds.
    QVariant run(const QString& script);

protected:
    void do_write(const QString& id, const QVariant& value) override;
    QString do_read(const QString& id) override;
    void do_click(const QString& id) override;
    void do_reset_title() override;

private:
    QPointer<QWebEnginePage> page_;
    bool loaded_ = false;
};

} // namespace rundel::bridge
