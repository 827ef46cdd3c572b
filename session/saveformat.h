#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace rundel::session {

/// The formats a route is saved in, in the order the save-format box lists them.
enum class SaveFormat { PlainText, Kml, Picture, Gpx, VisitList };

/// The captions of the save-format box, in SaveFormat order: the one place they are written.
[[nodiscard]] inline QStringList save_format_captions() {
    return {QStringLiteral("プレインテキスト"), QStringLiteral("GoogleEarth(KML)"),
            QStringLiteral("画像(BMP)"), QStringLiteral("GPS(GPX)"),
            QStringLiteral("訪問リスト(CSV)")};
}

/// The format whose caption is exactly @p caption; none for any other text (the box is
/// editable, and its first text is a prompt).
[[nodiscard]] inline std::optional<SaveFormat> save_format_of(const QString& caption) {
    const qsizetype at = save_format_captions().indexOf(caption);
    if (at < 0) {
        return std::nullopt;
    }
    return static_cast<SaveFormat>(at);
}

} // namespace rundel::session
