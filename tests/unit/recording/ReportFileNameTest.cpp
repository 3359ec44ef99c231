#include "recording/ReportFileName.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct NameCase {
    std::string chosen;
    ReportFilter filter;
    bool csvBefore;
    std::string name;
    bool csv;
};

class ReportFileRules : public ::testing::TestWithParam<NameCase> {};

TEST_P(ReportFileRules, AddTheExtensionAndPickTheLayout) {
    const NameCase& c = GetParam();
    const ReportFileChoice choice = applyReportFileRules(c.chosen, c.filter, c.csvBefore);
    EXPECT_EQ(choice.fileName, c.name);
    EXPECT_EQ(choice.csv, c.csv);
}

INSTANTIATE_TEST_SUITE_P(
    Chooser, ReportFileRules,
    ::testing::Values(
        // No extension (the dialog's test picks each filter for a plain name): a
        // dot in a folder name is none, nor is a trailing dot.
        NameCase{"/home/ala.b/pomiary", ReportFilter::Csv, false, "/home/ala.b/pomiary.csv", true},
        NameCase{"C:\\dane.2003\\wyniki", ReportFilter::Text, true, "C:\\dane.2003\\wyniki.txt",
                 false},
        NameCase{"/tmp/a.", ReportFilter::Text, true, "/tmp/a..txt", false},
        // The ending decides the layout, whatever filter was selected.
        NameCase{"/tmp/a.txt", ReportFilter::Csv, true, "/tmp/a.txt", false},
        NameCase{"/tmp/a.TXT", ReportFilter::Csv, true, "/tmp/a.TXT", false},
        NameCase{"/tmp/a.csv", ReportFilter::Text, false, "/tmp/a.csv", true},
        // Mixed case and other endings leave the layout as it was.
        NameCase{"/tmp/a.Txt", ReportFilter::Text, true, "/tmp/a.Txt", true},
        NameCase{"/tmp/a.cSv", ReportFilter::Csv, false, "/tmp/a.cSv", false},
        NameCase{"/tmp/a.dat", ReportFilter::Text, true, "/tmp/a.dat", true},
        // Polish letters pass through untouched.
        NameCase{"/tmp/ciśnienie", ReportFilter::Csv, false, "/tmp/ciśnienie.csv", true}));

} // namespace
