#include "app/commission/ReportDocument.h"

namespace vela {
namespace {

const char* const kStyle =
    "@page { size: A4; margin: 15mm; }\n"
    "body { font-family: 'Liberation Sans', 'DejaVu Sans', Arial, sans-serif; font-size: 10pt;"
    " color: #000; max-width: 180mm; margin: 0 auto; }\n"
    "h1 { font-size: 15pt; margin: 0 0 4mm; }\n"
    "h2 { font-size: 11.5pt; margin: 5mm 0 1.5mm; border-bottom: 0.3mm solid #444; }\n"
    "table { border-collapse: collapse; width: 100%; page-break-inside: auto; }\n"
    "tr { page-break-inside: avoid; }\n"
    "th, td { border: 0.2mm solid #888; padding: 0.8mm 1.5mm; text-align: left;"
    " vertical-align: top; }\n"
    "th { background: #eee; }\n"
    ".figure { page-break-inside: avoid; margin: 0 0 2mm; }\n"
    ".figure svg { max-width: 100%; height: auto; }\n"
    "td.name { width: 45%; }\n"
    ".mono { font-family: 'Liberation Mono', 'DejaVu Sans Mono', monospace; word-break: break-all; "
    "}\n";

// Long hexadecimal digests break anywhere; everything else as words.
bool LooksLikeDigest(const std::string& text) {
  if (text.size() < 32) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string Cell(const char* tag, const std::string& text, const char* cls = nullptr) {
  std::string attributes;
  if (LooksLikeDigest(text)) {
    attributes = " class=\"mono\"";
  } else if (cls) {
    attributes = std::string(" class=\"") + cls + "\"";
  }
  return std::string("<") + tag + attributes + ">" + HtmlEscape(text) + "</" + tag + ">";
}

std::string MarkdownEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n' || c == '\r') {
      out += ' ';
      continue;
    }
    // What Markdown would read as markup inside a table cell.
    if (std::string("\\`*_[]<>|").find(c) != std::string::npos) out += '\\';
    out += c;
  }
  return out;
}

std::string MarkdownRow(const std::vector<std::string>& cells, size_t width) {
  std::string line = "|";
  for (size_t i = 0; i < width; ++i) {
    line.append(" ");
    if (i < cells.size()) line.append(MarkdownEscape(cells[i]));
    line.append(" |");
  }
  return line + "\n";
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string RenderHtml(const TReportDocument& document) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
      HtmlEscape(document.title) + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n";
  html += "<h1>" + HtmlEscape(document.title) + "</h1>\n";
  for (const TReportSection& section : document.sections) {
    html += "<h2>" + HtmlEscape(section.heading) + "</h2>\n";
    if (!section.svg.empty()) html += "<div class=\"figure\">\n" + section.svg + "</div>\n";
    html += "<table>\n";
    if (!section.columns.empty()) {
      html += "<tr>";
      for (const std::string& column : section.columns) html += Cell("th", column);
      html += "</tr>\n";
    }
    for (const auto& row : section.rows) {
      html += "<tr>";
      for (size_t i = 0; i < row.size(); ++i) {
        html += Cell("td", row[i], section.columns.empty() && i == 0 ? "name" : nullptr);
      }
      html += "</tr>\n";
    }
    html += "</table>\n";
  }
  return html + "</body>\n</html>\n";
}

std::string RenderMarkdown(const TReportDocument& document) {
  std::string md = "# " + MarkdownEscape(document.title) + "\n";
  for (const TReportSection& section : document.sections) {
    md += "\n## " + MarkdownEscape(section.heading) + "\n\n";
    const std::vector<std::string> header =
        section.columns.empty() ? std::vector<std::string>{"", ""} : section.columns;
    md += MarkdownRow(header, header.size());
    md += "|";
    for (size_t i = 0; i < header.size(); ++i) md += " --- |";
    md += "\n";
    for (const auto& row : section.rows) md += MarkdownRow(row, header.size());
  }
  return md;
}

}  // namespace vela
