#pragma once
// Cards taken through their lives by the windows alone, on the simulated reader, and a store's
// day imported by the import window: the journal every later check (reconciliation, reports,
// a copy of the database) is run against.
#include "support/IssueFixture.h"

#include <QDate>
#include <QStringList>

class CardLifeFixture : public IssueTest {
protected:
  void SetUp() override;

  // The operator inserts this card at the next card wait.
  void atNextWait(const QString& file);
  static QString cardNoOn(const QString& file);
  // Each card's stripe balance and points equal its master row's.
  void expectCardsMatchMaster() const;
  QStringList journalTypes() const;

  // Two cards of 100 issued from store 001 and sold (first_, second_).
  void issueAndSell();
  // The first card: value added, topped up, deducted (amount and points), reversed, voided,
  // and its good-thru date moved.
  void counterWork();
  // The first card is lost: blacklisted and replaced by a new card with its value (replacement_).
  void loseAndReplace();
  // The second card is taken back and erased.
  void eraseSecond();
  // All of the above, in that order.
  void liveThroughWindows();
  // Store 002's file of `day`, with these data lines, imported by the import window.
  void importStoreDay(const QDate& day, const QStringList& dataLines);

  QStringList files_;
  QString first_, second_, replacement_;
};
