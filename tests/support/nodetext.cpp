#include "support/nodetext.h"

#include "engine/modshortestpath.h"

#include <cctype>
#include <cstdio>
#include <gtest/gtest.h>

namespace rundel::test {

std::string node_text(const Points& points, const std::string& eol) {
    std::string text = "NAME: generated" + eol + "TYPE: TSP" + eol + "NODE_COORD_SECTION" + eol;
    char line[96];
    for (std::size_t i = 0; i < points.size(); ++i) {
        std::snprintf(line, sizeof line, "%zu %.9g %.9g", i + 1,
                      static_cast<double>(points[i].first), static_cast<double>(points[i].second));
        text += line;
        text += eol;
    }
    return text + "EOF" + eol;
}

std::string tsplib_text(const std::string& name) {
    auto text = engine::ModShortestPath::load_nodefile(std::string(RUNDEL_TSPLIB_DIR) + "/" + name);
    EXPECT_TRUE(text) << name << ": " << text.error();
    return text ? std::move(text).value() : std::string();
}

std::string test_name(const std::string& text) {
    std::string name = text;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
}

} // namespace rundel::test
