#pragma once
// The print preview window: shows a PrintDocument page by page with first, previous, next and last
// page, print, page set-up, printer set-up and save as PDF.
#include "ui/PrintDocument.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;

class PrintPreviewWindow : public QDialog {
  Q_OBJECT
public:
  explicit PrintPreviewWindow(QWidget* parent = nullptr);
  ~PrintPreviewWindow() override;

  PrintDocument& doc() { return doc_; }
  void startDocument(const QString& title) { doc_.startDocument(title); }
  void addText(const QString& line) { doc_.addText(line); }
  void addTable(const QString& format, const QString& headings, const QString& rows) {
    doc_.addTable(format, headings, rows);
  }
  void addImage(const QImage& image) { doc_.addImage(image); }
  void endDocument() { doc_.endDocument(); }
  // Lays the document out in the preview; showDocument also shows the window modally.
  void layOutPreview();
  void showDocument();

  int pageCount() const;
  int currentPage() const;
  void showFirstPage();
  void showPreviousPage();
  void showNextPage();
  void showLastPage();
  void printDocument();
  // Prints the document on the chosen printer; a failure is said in a box and answers false.
  bool printOnPrinter();
  QPrinter* printer() const { return printer_.get(); }
  void setUpPage();
  void setUpPrinter();
  bool saveAsPdf();

private:
  void showPage(int page);

  PrintDocument doc_;
  std::unique_ptr<QPrinter> printer_;
  QPrintPreviewWidget* preview_;
  QLabel* lblPage_;
};
