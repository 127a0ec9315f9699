#include "framework/ClassRecord.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using fw::ClassRecord;

// A small hierarchy of its own, registered under names no other test uses:
// Shape <- Circle, and the unrelated Brush.
class Shape : public fw::Object {
public:
    static fw::Ref<Shape> Create() { return fw::Adopt(*new Shape()); }
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override { return Lookup(); }

    std::vector<std::string> calls;

    void Draw() { calls.push_back("Shape.Draw"); }
    void Clear() { calls.push_back("Shape.Clear"); }
    void Event_Close() { calls.push_back("Shape.Event_Close"); }
    void Accept(Shape& other) { calls.push_back("Accept " + other.Class().Name()); }
    fw::RefPtr<Shape> Self() { return fw::RefPtr<Shape>(this); }

protected:
    Shape() = default;
};

class Circle : public Shape {
public:
    static fw::Ref<Circle> Create() { return fw::Adopt(*new Circle()); }
    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override { return Lookup(); }

    void Draw() { calls.push_back("Circle.Draw"); }
    void Roll() { calls.push_back("Circle.Roll"); }
    void Event_Open() { calls.push_back("Circle.Event_Open"); }

protected:
    Circle() = default;
};

class Brush : public fw::Object {
public:
    static fw::Ref<Brush> Create() { return fw::Adopt(*new Brush()); }
    static const ClassRecord& Lookup()
    {
        return ClassRecord::Build("ClassRecordTest.Brush", &fw::Object::Lookup(), [](ClassRecord::Builder&) { });
    }
    const ClassRecord& Class() const override { return Lookup(); }
};

const ClassRecord& Shape::Lookup()
{
    return ClassRecord::Build("ClassRecordTest.Shape", &fw::Object::Lookup(), [](ClassRecord::Builder& b) {
        b.Method("Draw", "%%", &Shape::Draw)
            .Method("Clear", "%%", &Shape::Clear, { { "__Scope", "Public" }, { "Hidden", std::nullopt } })
            .Method("Event_Close", "%%", &Shape::Event_Close)
            .Method("Accept", "%%o<ClassRecordTest.Shape>", &Shape::Accept)
            .Method("Self", "%o<ClassRecordTest.Shape>%", &Shape::Self)
            .Event(3, "Close", "Event_Close")
            .ClassAttribute("__Scope", "Public")
            .Creatable<Shape>();
    });
}

const ClassRecord& Circle::Lookup()
{
    return ClassRecord::Build("ClassRecordTest.Circle", &Shape::Lookup(), [](ClassRecord::Builder& b) {
        b.Method("Roll", "%%", &Circle::Roll)
            .Method("Draw", "%%", &Circle::Draw)
            .Method("Event_Open", "%%", &Circle::Event_Open)
            .Event(13, "Open", "Event_Open");
    });
}

TEST(ClassRecordTest, BuildingTwiceKeepsTheFirstRecord)
{
    const ClassRecord& first = Circle::Lookup();
    bool filledAgain = false;
    const ClassRecord& second = ClassRecord::Build("ClassRecordTest.Circle", nullptr, [&](ClassRecord::Builder&) { filledAgain = true; });
    EXPECT_EQ(&first, &second);
    EXPECT_FALSE(filledAgain);
    EXPECT_EQ(second.Base(), &Shape::Lookup());
    EXPECT_EQ(ClassRecord::Find("ClassRecordTest.Circle"), &first);
    EXPECT_EQ(ClassRecord::Find("ClassRecordTest.NoSuchClass"), nullptr);

    auto order = ClassRecord::RegistrationOrder();
    EXPECT_EQ(std::count(order.begin(), order.end(), "ClassRecordTest.Circle"), 1);
    auto shape = std::find(order.begin(), order.end(), "ClassRecordTest.Shape");
    auto circle = std::find(order.begin(), order.end(), "ClassRecordTest.Circle");
    EXPECT_LT(shape, circle) << "a base is registered before the classes built on it";
}

TEST(ClassRecordTest, OverridesKeepTheirBaseSlot)
{
    const ClassRecord& circle = Circle::Lookup();
    EXPECT_EQ(Shape::Lookup().Slots(), (std::vector<std::string> { "Draw", "Clear", "Event_Close", "Accept", "Self" }));
    EXPECT_EQ(circle.Slots(), (std::vector<std::string> { "Draw", "Clear", "Event_Close", "Accept", "Self", "Roll", "Event_Open" }));

    std::vector<std::string> own;
    for (const auto& member : circle.Members())
        own.push_back(member.name);
    EXPECT_EQ(own, (std::vector<std::string> { "Roll", "Draw", "Event_Open" }));
}

TEST(ClassRecordTest, OperationsResolveDerivedFirst)
{
    fw::Ref<Circle> circle = Circle::Create();
    const ClassRecord& record = circle->Class();
    record.Operation("Draw").Invoke(*circle);
    record.Operation("Clear").Invoke(*circle);
    Shape::Lookup().Operation("Draw").Invoke(*circle);
    EXPECT_EQ(circle->calls, (std::vector<std::string> { "Circle.Draw", "Shape.Clear", "Shape.Draw" }));

    EXPECT_EQ(record.FindOperation("Fly"), nullptr);
    try {
        record.Operation("Fly");
        FAIL() << "no exception";
    } catch (const fw::TypeMismatchException& e) {
        EXPECT_NE(std::string(e.what()).find("ClassRecordTest.Circle"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("Fly"), std::string::npos) << e.what();
    }
}

TEST(ClassRecordTest, AttributesAreKeptPerMemberAndClass)
{
    const ClassRecord& shape = Shape::Lookup();
    EXPECT_TRUE(shape.Operation("Clear").HasAttribute("Hidden"));
    EXPECT_FALSE(shape.Operation("Draw").HasAttribute("Hidden"));
    EXPECT_EQ(shape.Operation("Draw").attributes, (std::vector<fw::Attribute> { { "__Scope", "Public" } }));
    EXPECT_EQ(shape.Attributes(), (std::vector<fw::Attribute> { { "__Scope", "Public" } }));
}

TEST(ClassRecordTest, EventsAreFoundThroughTheChain)
{
    const ClassRecord& circle = Circle::Lookup();
    struct Case {
        const char* name;
        int number;
        const char* operation;
    } cases[] = {
        { "own event", 13, "Event_Open" },
        { "inherited event", 3, "Event_Close" },
        { "not implemented", 16, nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fw::EventEntry* entry = circle.FindEvent(c.number);
        if (!c.operation) {
            EXPECT_EQ(entry, nullptr);
            continue;
        }
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->operation, c.operation);
    }
    EXPECT_EQ(Shape::Lookup().FindEvent(13), nullptr);
    EXPECT_EQ(circle.Events().size(), 1u);
}

TEST(ClassRecordTest, CastTestsTheClass)
{
    fw::RefPtr<fw::Object> nil;
    EXPECT_TRUE(fw::Cast<Shape>(nil).IsNil());

    fw::Ref<Circle> circle = Circle::Create();
    fw::RefPtr<Shape> asShape = fw::Cast<Shape>(circle);
    EXPECT_EQ(asShape.Get(), circle.Ptr());
    EXPECT_EQ(fw::Cast<Circle>(asShape).Get(), circle.Ptr());

    EXPECT_THROW(fw::Cast<Circle>(Shape::Create()), fw::TypeMismatchException);
    EXPECT_THROW(fw::Cast<Shape>(Brush::Create()), fw::TypeMismatchException);
    EXPECT_TRUE(Circle::Lookup().IsA(fw::Object::Lookup()));
    EXPECT_FALSE(Shape::Lookup().IsA(Circle::Lookup()));
}

TEST(ClassRecordTest, NewUsesTheFactory)
{
    fw::Ref<fw::Object> made = Shape::Lookup().New();
    EXPECT_EQ(&made->Class(), &Shape::Lookup());
    EXPECT_EQ(made->RefCount(), 1);
    EXPECT_FALSE(Circle::Lookup().CanCreate());
    EXPECT_THROW(Circle::Lookup().New(), fw::RuntimeException);
}

TEST(ClassRecordTest, SignaturesParse)
{
    struct Case {
        const char* signature;
        const char* result;
        std::vector<std::string> parameters;
    } cases[] = {
        { "%%", "", {} },
        { "%o<TextField>%", "TextField", {} },
        { "%%o<PushButton>", "", { "PushButton" } },
        { "%b%", "b", {} },
        { "%%o<Window>,i4", "", { "Window", "" } },
        { "%o<Object>%o<Ptr>o<Ptr>", "Object", { "Ptr", "Ptr" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signature);
        const fw::CallGlue& glue = fw::CallGlue::ForSignature(c.signature);
        EXPECT_EQ(&glue, &fw::CallGlue::ForSignature(c.signature)) << "one glue per signature";
        EXPECT_EQ(glue.ResultClass(), c.result);
        EXPECT_EQ(glue.HasResult(), *c.result != '\0');
        EXPECT_EQ(glue.ParameterClasses(), c.parameters);
    }
    EXPECT_EQ(Shape::Lookup().Operation("Draw").glue, Circle::Lookup().Operation("Roll").glue);
    EXPECT_THROW(fw::CallGlue::ForSignature("o<X>"), fw::RuntimeException);
    EXPECT_THROW(fw::CallGlue::ForSignature("%o<X>"), fw::RuntimeException);
}

TEST(ClassRecordTest, CallGlueChecksArguments)
{
    fw::Ref<Shape> shape = Shape::Create();
    const fw::MemberEntry& accept = Shape::Lookup().Operation("Accept");

    accept.Invoke(*shape, { fw::RefPtr<fw::Object>(Circle::Create()) });
    EXPECT_EQ(shape->calls.back(), "Accept ClassRecordTest.Circle");

    struct Case {
        const char* name;
        std::vector<fw::Variant> args;
    } wrong[] = {
        { "no argument", {} },
        { "two arguments", { fw::RefPtr<fw::Object>(shape), fw::RefPtr<fw::Object>(shape) } },
        { "unrelated class", { fw::RefPtr<fw::Object>(Brush::Create()) } },
        { "not an object", { int32_t { 4 } } },
    };
    for (const auto& c : wrong) {
        SCOPED_TRACE(c.name);
        size_t before = shape->calls.size();
        EXPECT_THROW(accept.Invoke(*shape, c.args), fw::TypeMismatchException);
        EXPECT_EQ(shape->calls.size(), before) << "the operation ran despite the bad arguments";
    }

    // A nil object passes the glue; the operation itself then meets nil.
    EXPECT_THROW(accept.Invoke(*shape, { fw::RefPtr<fw::Object>() }), fw::NilObjectException);

    fw::Variant self = Shape::Lookup().Operation("Self").Invoke(*shape);
    EXPECT_EQ(std::get<fw::RefPtr<fw::Object>>(self).Get(), shape.Ptr());
}

TEST(ClassRecordTest, UnregisteredParameterClassIsNotChecked)
{
    const fw::CallGlue& glue = fw::CallGlue::ForSignature("%%o<ClassRecordTest.Unregistered>");
    fw::Ref<Brush> brush = Brush::Create();
    int calls = 0;
    fw::Method method = [&](fw::Object&, const std::vector<fw::Variant>&) -> fw::Variant {
        ++calls;
        return std::monostate {};
    };
    glue.Call(method, *brush, { fw::RefPtr<fw::Object>(Brush::Create()) });
    EXPECT_EQ(calls, 1);
}

}
