// Prints layout::textWidth for lines "R|B<TAB>fontPx<TAB>text" on stdin, for the browser comparison.
#include <cstdio>
#include <iostream>
#include <string>

#include "layout/metrics.hpp"

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto tab1 = line.find('\t');
        const auto tab2 = line.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos) continue;
        const auto weight = line[0] == 'B' ? tess::layout::Weight::Bold : tess::layout::Weight::Regular;
        const double px = std::stod(line.substr(tab1 + 1, tab2 - tab1 - 1));
        std::printf("%.6f\n", tess::layout::textWidth(std::string_view(line).substr(tab2 + 1), px, weight));
    }
}
