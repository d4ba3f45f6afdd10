// Where-used: which program lines use an object, the entries and header the window shows, and
// the editor request of an entry.
#include <gtest/gtest.h>

#include "app/object_commands.h"
#include "app/where_used.h"
#include "support/project_builder.h"

namespace kelvaro {
namespace {

TEST(WhereUsed, TheReferenceRuleFindsTheFirstUseInALine) {
  // The rule the delete check and the rename share: a separator, "." or the end must follow.
  const auto offset = [](std::string_view line) {
    const std::size_t found = findReference(line, "Lampe");
    return found == std::string_view::npos ? -1 : static_cast<int>(found);
  };
  EXPECT_EQ(offset("-Lampe EINSCHALTEN"), 1);
  EXPECT_EQ(offset("-WENN Lampe.CT > 3 DANN"), 6);
  EXPECT_EQ(offset("-X WIE Lampe"), 7);
  EXPECT_EQ(offset("-AKTIVIEREN(Lampe)"), 12);
  EXPECT_EQ(offset("-&LAMPE UMSCHALTEN"), 2);
  EXPECT_EQ(offset("-Stehlampe EINSCHALTEN"), 5);  // the character before is not tested
  EXPECT_EQ(offset("-Lampe2 EINSCHALTEN"), -1);
  EXPECT_EQ(offset("-Lampe2 WIE Lampe"), 12);            // a use behind a longer name
  EXPECT_EQ(offset("-SETZEPOSITION(Lampe,10,20)"), 15);  // "," parts arguments
  EXPECT_EQ(offset("-Lampen EIN"), -1);
  EXPECT_EQ(offset(""), -1);
}

TEST(WhereUsed, EntriesInProjectOrderOrTheHeaderSaysThereAreNone) {
  Project project = test::lampProject({
      test::lampObject("Lampe", {"Lampe.CT = 0"}),
      test::lampObject("Taster", {"WENN Taster = an DANN", "Lampe2 EINSCHALTEN", "AKTIVIEREN(Lampe)", "ENDEWENN"}),
      test::lampObject("Lampe2", {"Lampe2 WIE Lampe"}),
      test::lampObject("Stehlampe", {"Stehlampe EINSCHALTEN"}),
      test::lampObject("Flur"),
  });
  project.objects[1].program.insert(project.objects[1].program.begin(), "-&Lampe EINSCHALTEN");

  const WhereUsed uses = findUses(project, "Lampe");
  EXPECT_EQ(uses.header, "Lampe wird in folgenden Programmen verwendet:");
  std::vector<std::string> texts;
  for (const auto& e : uses.entries)
    texts.push_back(e.text + " @" + std::to_string(e.object) + "/" + std::to_string(e.line) + "/" +
                    std::to_string(e.position));
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Lampe  :  Lampe.CT = 0 @0/0/1",
                       "Taster  :  &Lampe EINSCHALTEN @1/0/2",
                       // "-&Lampe EINSCHALTEN" (19 characters) + "-WENN Taster = an DANN" (22) +
                       // "-Lampe2 EINSCHALTEN" (19) lie before, each with its line end, then "-AKTIVIEREN(".
                       "Taster  :  AKTIVIEREN(Lampe) @1/3/75",
                       "Lampe2  :  Lampe2 WIE Lampe @2/0/12",
                       "Stehlampe  :  Stehlampe EINSCHALTEN @3/0/5",
                   }));

  const EditorRequest request = editorRequestFor(uses.entries[2]);
  EXPECT_EQ(std::to_string(request.object) + "/" + std::to_string(request.storedLine), "1/3");

  const WhereUsed unused = findUses(project, "Flur");
  EXPECT_EQ(unused.header, "Flur wird in keinem Programm verwendet");
  EXPECT_TRUE(unused.entries.empty());
}

}  // namespace
}  // namespace kelvaro
