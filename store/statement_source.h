// Where a walk over the statements of objects.txt takes them from.
//
// The compiler's walk asks for the statement at each position it reaches and
// never compares a position with a list's size, so the same walk runs over a
// finished list and over a file that is still being read: a source of the
// second kind waits for the statement to arrive. The statements live in the
// store's list either way; the source only decides when they are there.
#pragma once

#include <cstddef>
#include <vector>

#include "store/records.h"

class StatementSource {
 public:
  // The statement at `position` (counting from 0), once it has arrived;
  // null when the file holds none there (its end, or a reading that was
  // stopped). The pointer is valid until the next call.
  virtual const Statement* At(std::size_t position) = 0;

 protected:
  ~StatementSource() = default;
};

// The statements of a list that is complete.
class StatementList final : public StatementSource {
 public:
  explicit StatementList(const std::vector<Statement>& statements) : statements_(statements) {}
  const Statement* At(std::size_t position) override {
    return position < statements_.size() ? &statements_[position] : nullptr;
  }

 private:
  const std::vector<Statement>& statements_;
};
