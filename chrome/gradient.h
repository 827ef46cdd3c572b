#pragma once

#include <QColor>
#include <vector>

namespace rundel::chrome {

/// The caption's vertical gradient: entries 0 to @p n, entry i = start + (i + 1) * step with
/// step = (end - start) / n per component, each running component held within 0 to 255 at
/// every step and rounded half to even. Entry n - 1 is the end colour; entry n one step past.
[[nodiscard]] std::vector<QColor> build_gradient(const QColor& start, const QColor& end, int n);

} // namespace rundel::chrome
