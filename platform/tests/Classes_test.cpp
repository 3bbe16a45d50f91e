#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nuv/platform/Classes.h"

namespace nuv {
namespace {

// Records its own deletion and the notifications it receives.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::vector<std::string>* log, std::string tag)
      : TComponent(owner), log_(log), tag_(std::move(tag)) {}
  ~Probe() override { log_->push_back("delete " + tag_); }
  TComponent* Watched = nullptr;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == opRemove && c == Watched) {
      log_->push_back(tag_ + " forgets watched");
      Watched = nullptr;
    }
  }

 private:
  std::vector<std::string>* log_;
  std::string tag_;
};

TEST(TComponent, OwnerDeletesItsComponentsLastFirst) {
  std::vector<std::string> log;
  auto* root = new Probe(nullptr, &log, "root");
  new Probe(root, &log, "a");
  new Probe(root, &log, "b");
  EXPECT_EQ(root->ComponentCount(), 2);
  delete root;
  const std::vector<std::string> expected{"delete root", "delete b", "delete a"};
  EXPECT_EQ(log, expected);
}

TEST(TComponent, DirectDeletionDetachesFromOwnerAndNotifiesWatchers) {
  std::vector<std::string> log;
  TComponent owner(nullptr);
  auto* a = new Probe(&owner, &log, "a");
  auto* watcher = new Probe(&owner, &log, "w");
  watcher->Watched = a;
  watcher->FreeNotification(a);
  delete a;
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(watcher->Watched, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"delete a", "w forgets watched"}));
}

TEST(TComponent, WatcherDeletedFirstLeavesNoDanglingReference) {
  std::vector<std::string> log;
  TComponent owner(nullptr);
  auto* a = new Probe(&owner, &log, "a");
  auto* watcher = new Probe(nullptr, &log, "w");
  watcher->FreeNotification(a);
  delete watcher;
  delete a;  // must not notify the deleted watcher
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(TComponent, NamesAreIdentifiersUniqueUnderOneOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("Table1");
  EXPECT_THROW(b->SetName("table1"), EComponentError);
  EXPECT_THROW(b->SetName("1abc"), EComponentError);
  EXPECT_THROW(b->SetName("a b"), EComponentError);
  b->SetName("_b2");
  EXPECT_EQ(owner.FindComponent("TABLE1"), a);
  EXPECT_EQ(owner.Components(5), nullptr);
  EXPECT_EQ(ComponentMessage(*a, "FIFO structure too large"),
            "Component \"Table1\": FIFO structure too large");
}

TEST(TComponent, InsertingMovesBetweenOwners) {
  TComponent first(nullptr), second(nullptr);
  auto* c = new TComponent(&first);
  second.InsertComponent(c);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(second.ComponentCount(), 1);
  EXPECT_EQ(c->Owner(), &second);
}

TEST(TComponent, LoadingState) {
  TComponent c(nullptr);
  c.BeginLoad();
  EXPECT_TRUE(c.Loading());
  c.Loaded();
  EXPECT_FALSE(c.Loading());
}

class Shape : public TPersistent {};
class Circle : public TPersistent {
 public:
  int Radius = 0;
  void Assign(const TPersistent& source) override {
    if (auto* c = dynamic_cast<const Circle*>(&source)) Radius = c->Radius;
    else TPersistent::Assign(source);
  }
};

TEST(TPersistent, AssignFailsWithBothClassNames) {
  Circle a, b;
  a.Radius = 3;
  b.Assign(a);
  EXPECT_EQ(b.Radius, 3);
  Shape s;
  try {
    b.Assign(s);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a Shape to a Circle");
  }
  EXPECT_EQ(a.ClassName(), "Circle");
}

}  // namespace
}  // namespace nuv

#include "nuv/platform/Types.h"

namespace nuv {
namespace {

TEST(ShortString, TruncatesAndComparesWithEveryStringKind) {
  ShortString<3> s = "abcdef";
  EXPECT_EQ(s.Length(), 3u);
  EXPECT_TRUE(s == "abc");
  EXPECT_TRUE("abc" == s);
  EXPECT_TRUE(s == std::string("abc"));
  EXPECT_TRUE(s == ShortString<3>("abc"));
  EXPECT_FALSE(s == "ab");
  ShortString<3> t = "ab";
  t = "x";
  EXPECT_EQ(t.Data()[1], '\0') << "unused slots are cleared so byte images compare";
}

}  // namespace
}  // namespace nuv
