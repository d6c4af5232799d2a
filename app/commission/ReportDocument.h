#pragma once
// A report as headed sections of tables, written as one self-contained HTML
// page (inline style, printable on A4, nothing loaded from elsewhere) or as
// Markdown. Every text is escaped for the format it goes into.

#include <string>
#include <vector>

namespace vela {

struct TReportSection {
  std::string heading;
  std::vector<std::string> columns;  // empty: two columns of name and value, no header
  std::vector<std::vector<std::string>> rows;
  std::string svg = {};  // a picture before the table, HTML only (Markdown has the table alone)
};

struct TReportDocument {
  std::string title;
  std::vector<TReportSection> sections;
};

std::string HtmlEscape(const std::string& text);
std::string RenderHtml(const TReportDocument& document);
std::string RenderMarkdown(const TReportDocument& document);

}  // namespace vela
