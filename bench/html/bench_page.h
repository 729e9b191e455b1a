// The generated page the HTML benchmarks share.
#pragma once
#include <random>
#include <string>

namespace velmora_bench {

// A page of the kind the viewer shows: paragraphs with links, fonts and
// entities, lists, tables and preformatted blocks, of about the given size
// (the same page for a given size on every run).
inline std::string MakePage(size_t bytes) {
    {
        std::mt19937 random(12345);
        const char* words[] = {"velmora", "dosya",   "klasör",  "görüntü", "the",  "of",
                               "viewer",  "page",    "list",    "table",   "text", "link",
                               "bold",    "çizelge", "program", "window"};
        auto sentence = [&](std::string& out, int n) {
            for (int i = 0; i < n; ++i) {
                if (i) out += ' ';
                out += words[random() % std::size(words)];
            }
        };
        std::string s = "<html><head><title>Benchmark page</title></head><body bgcolor=white>\n";
        int block = 0;
        while (s.size() < bytes) {
            switch (block++ % 8) {
            case 0:
            case 1:
            case 2:
                s += "<p>";
                sentence(s, 20);
                s += " <a href=\"page" + std::to_string(block) + ".htm\">";
                sentence(s, 3);
                s += "</a> ";
                sentence(s, 15);
                s += " <b>";
                sentence(s, 2);
                s += "</b> &amp; <i>";
                sentence(s, 4);
                s += "</i> &quot;";
                sentence(s, 12);
                s += "&quot; <font size=+1 color=\"#336699\">";
                sentence(s, 3);
                s += "</font> ";
                sentence(s, 25);
                s += " &copy; 2026.</p>\n";
                break;
            case 3:
                s += "<h2>";
                sentence(s, 4);
                s += "</h2>\n<ul>\n";
                for (int i = 0; i < 6; ++i) {
                    s += "<li>";
                    sentence(s, 10);
                    s += " <a href=\"item.htm\">";
                    sentence(s, 2);
                    s += "</a>\n";
                }
                s += "</ul>\n";
                break;
            case 4:
                s += "<table border=1 cellpadding=2 "
                     "width=90%>\n<tr><th>Ad</th><th>Boyut</th><th>Tarih</th></tr>\n";
                for (int i = 0; i < 8; ++i) {
                    s += "<tr><td>";
                    sentence(s, 3);
                    s += "</td><td align=right>" + std::to_string(random() % 100000) + "</td><td>";
                    sentence(s, 6);
                    s += "</td></tr>\n";
                }
                s += "</table>\n";
                break;
            case 5:
                s += "<pre>\n";
                for (int i = 0; i < 10; ++i) {
                    s += "  int x" + std::to_string(i) + " = f(a &lt; b);  // ";
                    sentence(s, 5);
                    s += "\n";
                }
                s += "</pre>\n";
                break;
            case 6:
                s += "<ol type=a>\n";
                for (int i = 0; i < 5; ++i) {
                    s += "<li><tt>";
                    sentence(s, 2);
                    s += "</tt> ";
                    sentence(s, 14);
                    s += "\n";
                }
                s += "</ol>\n";
                break;
            default:
                s += "<p align=center><img src=\"pic.gif\" alt=\"picture\" width=100 height=50> ";
                sentence(s, 40);
                s += "</p>\n";
                break;
            }
        }
        s += "</body></html>\n";
        return s;
    }
}

} // namespace velmora_bench
