#pragma once
// The text of the document a window prints: the print preview it opens is caught, its
// document saved as PDF and read back with pdftotext, and the preview closed.
#include <QString>
#include <functional>

class QWidget;

// Runs `print` (which opens a PrintPreviewWindow owned by `owner`) and answers the document's text;
// empty when no preview came up.
QString PrintedText(QWidget* owner, const std::function<void()>& print, const QString& pdfFile);
