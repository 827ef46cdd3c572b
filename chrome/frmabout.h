#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace rundel::chrome {

/// The About window: the program's title, version and what it does.
class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    /// "ﾊﾞｰｼﾞｮﾝ 0.9.0" for version 0.9.0.
    [[nodiscard]] static QString version_line(int major, int minor, int revision);

private:
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* picIcon;
    QLabel* Image1;
    QPushButton* cmdOK;
};

} // namespace rundel::chrome
