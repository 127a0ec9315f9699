#include "framework/ClassRecord.h"
#include "framework/PropertyList.h"

#include <gtest/gtest.h>

namespace {

using fw::ClassRecord;

// A stand-in for a control: each setter logs what it was given, so the test
// sees both the values and the order in which they arrived.
class Gadget : public fw::Object {
public:
    static fw::Ref<Gadget> Create() { return fw::Adopt(*new Gadget()); }
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override { return Lookup(); }

    std::vector<std::string> log;

    void SetWidth(int32_t v) { log.push_back("Width=" + std::to_string(v)); }
    void SetEnabled(bool v) { log.push_back(std::string("Enabled=") + (v ? "1" : "0")); }
    void SetTextSize(float v) { log.push_back("TextSize=" + std::to_string(static_cast<int>(v * 10))); }
    void SetBackColor(fw::Color v) { log.push_back("BackColor=" + std::to_string(v.rgb)); }
    void SetCaption(const std::string& v) { log.push_back("Caption=" + v); }
    void SetMacProcId(int32_t v) { log.push_back("MacProcId=" + std::to_string(v)); }

protected:
    Gadget() = default;
};

class FancyGadget : public Gadget {
public:
    static fw::Ref<FancyGadget> Create() { return fw::Adopt(*new FancyGadget()); }
    static const ClassRecord& Lookup()
    {
        return ClassRecord::Build("PropertyListTest.FancyGadget", &Gadget::Lookup(), [](ClassRecord::Builder& b) {
            b.Property("MultiLine", &FancyGadget::SetMultiLine).PropertyAlias("Multiline", "MultiLine");
        });
    }
    const ClassRecord& Class() const override { return Lookup(); }

    void SetMultiLine(bool v) { log.push_back(std::string("MultiLine=") + (v ? "1" : "0")); }
};

const ClassRecord& Gadget::Lookup()
{
    return ClassRecord::Build("PropertyListTest.Gadget", &fw::Object::Lookup(), [](ClassRecord::Builder& b) {
        b.Property("Width", &Gadget::SetWidth)
            .Property("Enabled", &Gadget::SetEnabled)
            .Property("TextSize", &Gadget::SetTextSize)
            .Property("BackColor", &Gadget::SetBackColor)
            .Property("Caption", &Gadget::SetCaption)
            .Property("MacProcId", &Gadget::SetMacProcId)
            .PropertyAlias("MacProcID", "MacProcId");
    });
}

TEST(PropertyListTest, AppliesEveryEntryInListOrder)
{
    fw::Ref<FancyGadget> gadget = FancyGadget::Create();
    fw::SetProperties(*gadget,
        {
            { "Caption", std::string("Start") },
            { "Width", int32_t { 80 } },
            { "MacProcID", int32_t { 0 } },
            { "Enabled", false },
            { "TextSize", 12.5f },
            { "BackColor", fw::Color { 0xFF0000 } },
            { "Multiline", true },
            { "Caption", std::string("Pause") },
        });
    EXPECT_EQ(gadget->log,
        (std::vector<std::string> {
            "Caption=Start", "Width=80", "MacProcId=0", "Enabled=0", "TextSize=125", "BackColor=16711680", "MultiLine=1", "Caption=Pause" }));
}

TEST(PropertyListTest, BadEntriesFailWithClassAndKey)
{
    struct Case {
        const char* name;
        fw::PropertyList list;
        std::vector<std::string> mustMention;
        size_t appliedBefore;
    } cases[] = {
        { "unknown key", { { "Width", int32_t { 1 } }, { "Bogus", int32_t { 2 } }, { "Width", int32_t { 3 } } }, { "PropertyListTest.FancyGadget has no property 'Bogus'" }, 1 },
        { "key in the wrong case", { { "caption", std::string("x") } }, { "'caption'" }, 0 },
        { "string for an Int32", { { "Width", std::string("80") } }, { "PropertyListTest.FancyGadget", "'Width'", "Int32", "String" }, 0 },
        { "Int32 for a Boolean", { { "Caption", std::string("ok") }, { "Enabled", int32_t { 1 } } }, { "'Enabled'", "Boolean", "Int32" }, 1 },
        { "Int32 for a Single", { { "TextSize", int32_t { 12 } } }, { "'TextSize'", "Single", "Int32" }, 0 },
        { "alias with the wrong type", { { "Multiline", std::string("True") } }, { "'Multiline'", "Boolean", "String" }, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fw::Ref<FancyGadget> gadget = FancyGadget::Create();
        try {
            fw::SetProperties(*gadget, c.list);
            ADD_FAILURE() << "no exception";
        } catch (const fw::TypeMismatchException& e) {
            for (const auto& text : c.mustMention)
                EXPECT_NE(std::string(e.what()).find(text), std::string::npos) << e.what() << " lacks " << text;
        }
        EXPECT_EQ(gadget->log.size(), c.appliedBefore) << "entries before the bad one stay applied, none after";
    }
}

TEST(PropertyListTest, BaseClassHasNoDerivedProperties)
{
    fw::Ref<Gadget> gadget = Gadget::Create();
    EXPECT_THROW(fw::SetProperties(*gadget, { { "MultiLine", true } }), fw::TypeMismatchException);
    EXPECT_NE(FancyGadget::Lookup().FindProperty("Width"), nullptr);
    EXPECT_EQ(Gadget::Lookup().FindProperty("Multiline"), nullptr);
}

}
