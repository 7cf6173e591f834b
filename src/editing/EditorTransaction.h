#pragma once
// The one transaction of an editor: begun when the editor opens, committed when it closes however
// it closes; "Aggiorna Vista" commits and begins the next, "Ripristina" rolls back and begins the
// next. Every write of the editor happens inside it, so "Ripristina" undoes all of them since the
// last commit.

class DbDatabase;

class EditorTransaction {
 public:
  // Begins the transaction.
  explicit EditorTransaction(DbDatabase* db);
  // Commits what is still open (closing the editor keeps every change made in it); left by an
  // exception, rolls it back instead.
  ~EditorTransaction();
  EditorTransaction(const EditorTransaction&) = delete;
  EditorTransaction& operator=(const EditorTransaction&) = delete;

  // Commits and begins the next. False when the commit failed (reported by the database layer,
  // which then rolled the work back); the next transaction is begun all the same.
  bool CommitAndBegin();
  // Rolls back and begins the next.
  void RollbackAndBegin();
  // Commits and ends; the destructor then does nothing. False when the commit failed.
  bool Commit();

  // True while the transaction is open: false when the database refused to begin it (another
  // program holding it), which the database layer has said; the editor then does not open.
  bool Active() const { return open_; }
  // True when the engine ended the transaction by itself (DbDatabase::TransactionLost): the
  // changes not yet committed are gone, and no write may follow until RollbackAndBegin.
  bool Lost() const;

 private:
  void Begin();

  DbDatabase* db_;
  int exceptionsAtStart_ = 0;
  bool open_ = false;
};
