#pragma once

#include <QUrl>
#include <QWidget>

class QWebEngineView;

namespace rundel::chrome {

/// The Help window: the help page beside the program in a browser of its own.
class frmHelp : public QWidget {
    Q_OBJECT

public:
    explicit frmHelp(const QString& program_folder, QWidget* parent = nullptr);

    /// The help page: Rundel_HELP/RundelHelp.html in the program folder.
    [[nodiscard]] static QUrl help_address(const QString& program_folder);
    /// The browser's size for a window of outer size @p outer: 300 and 600 twips less, never
    /// negative.
    [[nodiscard]] static QSize browser_size(const QSize& outer);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWebEngineView* WB_HELP;
};

} // namespace rundel::chrome
