// The resource table, the dialog-unit conversion and the widgets built from
// the table.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <gtest/gtest.h>

#include "app/core/ControlIds.h"
#include "app/qt/CMyDlgWindow.h"
#include "app/qt/DialogUnits.h"
#include "app/qt/ResourceTable.h"
#include "app/qt/TemplateWidgets.h"
#include "link/serial/QtSerialComm.h"
#include "QtTestSupport.h"

namespace orv::app::qt {
namespace {

TEST(ResourceTableParse, RejectsMalformedRecordsNamingTheLine) {
    const std::string header = "DIALOG | 7 | \"T\" | 10 | 10\n";
    struct Case {
        const char* why;
        std::string text;
        const char* line;
    };
    const Case cases[] = {
        {"unknown record", header + "WINDOW | 7\n", "line 2"},
        {"control before its dialog", "CONTROL | 9 | 1 | edit | \"\" | 1 | 1 | 1 | 1\n", "line 1"},
        {"unknown kind", header + "CONTROL | 7 | 1 | slider | \"\" | 1 | 1 | 1 | 1\n", "line 2"},
        {"unknown flag", header + "CONTROL | 7 | 1 | edit | \"\" | 1 | 1 | 1 | 1 | hiden\n", "line 2"},
        {"rectangle not a number", header + "CONTROL | 7 | 1 | edit | \"\" | 1 | x | 1 | 1\n", "line 2"},
        {"too few fields", header + "CONTROL | 7 | 1 | edit | \"\" | 1 | 1 | 1\n", "line 2"},
        {"duplicate id", header + "CONTROL | 7 | 1 | edit | \"\" | 1 | 1 | 1 | 1\n" +
                              "CONTROL | 7 | 1 | button | \"\" | 1 | 1 | 1 | 1\n", "line 3"},
        {"items for a non-list", header + "CONTROL | 7 | 1 | edit | \"\" | 1 | 1 | 1 | 1\nITEMS | 7 | 1 | \"a\"\n",
         "line 3"},
        {"dialog twice", header + header, "line 2"},
    };
    for (const auto& c : cases) {
        try {
            ResourceTable::Parse(QString::fromStdString(c.text));
            ADD_FAILURE() << c.why << ": accepted";
        } catch (const ResourceError& e) {
            EXPECT_NE(std::string(e.what()).find(c.line), std::string::npos) << c.why << ": " << e.what();
        }
    }
}

TEST(ResourceTableParse, KeepsBlanksInsideQuotesAndReadsFlags) {
    const auto table = ResourceTable::Parse(QStringLiteral(
        "# comment\n"
        "DIALOG | 5 | \"Cap\" | 100 | 50 | 200 | 60\n"
        "CONTROL | 5 | 3 | groupbox | \"Input Meas. \" | 1 | 2 | 3 | 4 | factory hidden readonly frameless\n"
        "CONTROL | 5 | 4 | list | \"\" | 1 | 2 | 3 | 4\n"
        "ITEMS | 5 | 4 | \"a b\" | \" c\"\n"
        "STRING | 9 | \"x(&A)...\"\n"));
    const DialogTemplate& d = table.Dialog(5);
    EXPECT_EQ(d.factorySize, QSize(200, 60));
    const ControlTemplate* g = d.Find(3);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->caption, QStringLiteral("Input Meas. "));
    EXPECT_EQ(g->rect, QRect(1, 2, 3, 4));
    EXPECT_TRUE(g->factory && g->hidden && g->readOnly && g->frameless);
    EXPECT_FALSE(g->disabled || g->group || g->defaultButton);
    EXPECT_EQ(d.items.at(4), (QStringList{"a b", " c"}));
    EXPECT_EQ(table.String(9), QStringLiteral("x(&A)..."));
    EXPECT_TRUE(table.String(10).isEmpty());
    EXPECT_THROW(table.Dialog(6), ResourceError);
}

TEST(DialogUnits, ConvertWithRoundingToTheNearestPixel) {
    struct Case {
        DialogBaseUnits units;
        QRect du;
        QRect px;
    };
    const Case cases[] = {
        {{6, 12}, {0, 0, 381, 327}, {0, 0, 572, 491}},     // 571.5 and 490.5 round up
        {{6, 12}, {13, 35, 124, 14}, {20, 53, 186, 21}},  // 19.5, 52.5, 21
        {{7, 13}, {10, 7, 4, 8}, {18, 11, 7, 13}},        // 17.5 -> 18, 11.375 -> 11
        {{8, 16}, {4, 8, 1, 1}, {8, 16, 2, 2}},
    };
    for (const auto& c : cases) EXPECT_EQ(c.units.ToPixels(c.du), c.px) << c.units.horizontal << "x" << c.units.vertical;
}

TEST(DialogUnits, DialogFontRendersChineseAndGivesSongMetrics) {
    const DialogTemplate& tpl = ResourceTable::Builtin().Dialog(id::MainDialog);
    const QFont font = DialogFont(tpl.fontFace, tpl.fontPoints);
    EXPECT_TRUE(QRawFont::fromFont(font).supportsCharacter(U'校')) << QFontInfo(font).family().toStdString();
    const auto units = DialogBaseUnits::FromFont(font);
    EXPECT_GT(units.horizontal, 0);
    EXPECT_GT(units.vertical, 0);
}

QString ExpectedCaption(const ControlTemplate& c) {
    return c.kind == ControlKind::Label ? c.caption : DisplayCaption(c.caption);
}

QWidget* FindStatic(const QWidget& dialog, const ControlTemplate& c) {
    for (QObject* o : dialog.children()) {
        if (c.kind == ControlKind::GroupBox) {
            if (auto* g = qobject_cast<QGroupBox*>(o); g && g->title() == ExpectedCaption(c)) return g;
        } else if (c.kind == ControlKind::Label) {
            if (auto* l = qobject_cast<QLabel*>(o); l && l->text() == c.caption) return l;
        }
    }
    return nullptr;
}

bool IsKind(QWidget* w, ControlKind kind) {
    switch (kind) {
        case ControlKind::GroupBox: return qobject_cast<QGroupBox*>(w);
        case ControlKind::Label:
        case ControlKind::Icon: return qobject_cast<QLabel*>(w);
        case ControlKind::Edit: return qobject_cast<QLineEdit*>(w);
        case ControlKind::List: return qobject_cast<QComboBox*>(w);
        case ControlKind::Button: return qobject_cast<QPushButton*>(w);
        case ControlKind::Radio: return qobject_cast<QRadioButton*>(w);
        case ControlKind::Comm: return false;
    }
    return false;
}

// A window whose serial component is never opened: these tests look at widgets only.
std::unique_ptr<CMyDlgWindow> MakeWindow(bool factory) {
    return std::make_unique<CMyDlgWindow>(std::make_unique<link::QtSerialComm>([](int) { return std::string(); }),
                                          std::function<int()>{}, factory);
}

TEST(MainWindowTemplate, EveryControlSitsWhereTheTableSaysInBothBuilds) {
    const DialogTemplate& tpl = ResourceTable::Builtin().Dialog(id::MainDialog);
    for (bool factory : {false, true}) {
        SCOPED_TRACE(factory ? "factory" : "standard");
        auto window = MakeWindow(factory);
        const DialogBaseUnits& u = window->Units();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("ZEZorezu-v3.2-J"));
        EXPECT_EQ(window->size(), u.ToPixels(factory ? tpl.factorySize : tpl.size));
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

        for (const ControlTemplate& c : tpl.controls) {
            SCOPED_TRACE(c.id > 0 ? std::to_string(c.id) : c.caption.toStdString());
            if (c.kind == ControlKind::Comm) {
                EXPECT_EQ(window->Control(c.id), nullptr);
                continue;
            }
            QWidget* w = c.id > 0 ? window->Control(c.id) : FindStatic(*window, c);
            ASSERT_NE(w, nullptr);
            EXPECT_TRUE(IsKind(w, c.kind));
            QRect expected = u.ToPixels(c.rect);
            if (c.kind == ControlKind::List) expected.setHeight(u.Y(14));
            EXPECT_EQ(w->geometry(), expected);
            if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                EXPECT_EQ(b->text(), DisplayCaption(c.caption));
            }
            // A caption wider than its control is cut off on screen.
            const int textWidth = w->fontMetrics().horizontalAdvance(c.caption);
            const int chrome = c.kind == ControlKind::Button ? 6 : c.kind == ControlKind::Radio ? 18 : 0;
            if (c.kind == ControlKind::Button || c.kind == ControlKind::Radio || c.kind == ControlKind::Label) {
                EXPECT_LE(textWidth + chrome, w->width()) << "caption clipped";
            }
            if (auto* e = qobject_cast<QLineEdit*>(w)) {
                EXPECT_TRUE(e->text().isEmpty());
                EXPECT_EQ(e->isReadOnly(), c.readOnly);
                EXPECT_EQ(e->hasFrame(), !c.frameless);
            }
            const bool shown = !c.hidden || (factory && c.factory && !c.neverShown);
            EXPECT_EQ(w->isHidden(), !shown);
            // Before start-up only the factory build's edits differ from the table.
            const bool enabled = !c.disabled || (factory && c.factory && !c.neverShown && c.kind == ControlKind::Edit);
            EXPECT_EQ(w->isEnabled(), enabled);
        }
    }
}

TEST(MainWindowTemplate, ListsStartFilledWithoutSelection) {
    auto window = MakeWindow(false);
    QStringList ports;
    for (int k = 0; k <= 10; ++k) ports << QStringLiteral("COM%1").arg(k);
    const std::pair<int, QStringList> lists[] = {
        {id::InputType, {"TC - K", "TC - E", "TC - S", "TC - B", "TC - R", "TC - J", "TC - T", "TC - N",
                         "-80mV ~ 80mV", "PT100", "Cu50", "0 ~ 400Ω", "PT200", "PT500", "PT1000", "0 ~ 4KΩ",
                         "Voltage", "Current"}},
        {id::Damping, {"Pass Filter", "Level 1", "Level 2", "Level 3", "Level 4", "Level 5", "Level 6", "Level 7",
                       "Level 8", "Level 9"}},
        {id::PortList, ports},
        {id::ModelList, {"QV-VC1：电压、电流输入：单输出", "QV-VC2：电压、电流输入：双输出",
                         "QV-TR1：TC、RTD、mV、R输入：单输出", "QV-TR2：TC、RTD、mV、R输入：双输出",
                         "QV-UN1：万能输入：单输出", "QV-UN2：万能输入：双输出"}},
    };
    for (const auto& [listId, entries] : lists) {
        auto* list = qobject_cast<QComboBox*>(window->Control(listId));
        ASSERT_NE(list, nullptr) << listId;
        QStringList actual;
        for (int k = 0; k < list->count(); ++k) actual << list->itemText(k);
        EXPECT_EQ(actual, entries) << listId;
        EXPECT_EQ(list->currentIndex(), -1) << listId;
    }
}

TEST(MainWindowTemplate, ExitIsTheDefaultButtonAndRadiosFormTheirGroups) {
    auto window = MakeWindow(false);
    auto* exit = qobject_cast<QPushButton*>(window->Control(id::Exit));
    ASSERT_NE(exit, nullptr);
    EXPECT_TRUE(exit->isDefault());
    EXPECT_EQ(exit->text(), QStringLiteral("Exit"));

    const std::vector<std::vector<int>> groups{{id::CjcInternal, id::CjcExternal},
                                               {id::Wire2, id::Wire3, id::Wire4},
                                               {id::BreakLow, id::BreakHigh},
                                               {id::OutputNormal, id::OutputReverse}};
    for (const auto& group : groups) {
        for (int pick : group) {
            // Another group's choice must survive a click in this one.
            const int other = group == groups[0] ? id::Wire2 : id::CjcInternal;
            qobject_cast<QAbstractButton*>(window->Control(other))->click();
            qobject_cast<QAbstractButton*>(window->Control(pick))->click();
            for (int member : group)
                EXPECT_EQ(qobject_cast<QAbstractButton*>(window->Control(member))->isChecked(), member == pick)
                    << pick << " clicked, " << member;
            EXPECT_TRUE(qobject_cast<QAbstractButton*>(window->Control(other))->isChecked()) << other;
        }
    }
}

// What a screen reader, a task bar and a keyboard user get from the window.
TEST(MainWindowTemplate, RadiosAnnouncedAsRadiosWindowInTheTaskBarMenuFromTheKeyboard) {
    auto window = MakeWindow(true);
    for (int radio : {id::CjcInternal, id::CjcExternal, id::Wire2, id::Wire3, id::Wire4, id::BreakLow, id::BreakHigh,
                      id::OutputNormal, id::OutputReverse}) {
        QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(window->Control(radio));
        ASSERT_NE(a11y, nullptr) << radio;
        EXPECT_EQ(a11y->role(), QAccessible::RadioButton) << radio;
    }
    // A dialog type is made transient on X11, which keeps it out of task bars.
    EXPECT_EQ(window->windowType(), Qt::Window);
    EXPECT_FALSE(window->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    // A holder of a bound text is no box for the operator to type in.
    EXPECT_TRUE(window->Control(id::HiddenEdit)->isHidden());

    window->show();
    QWidget* exit = window->Control(id::Exit);
    exit->setFocus();
    const std::function<void()> requests[] = {
        [&] {
            QKeyEvent e(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier);
            QApplication::sendEvent(exit, &e);
        },
        [&] {
            QKeyEvent e(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
            QApplication::sendEvent(exit, &e);
        },
        [&] {  // a platform that makes the request itself
            QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(1, 1), exit->mapToGlobal(QPoint(1, 1)));
            QApplication::sendEvent(exit, &e);
        },
    };
    for (const auto& request : requests) {
        QString lastItem;
        QTimer::singleShot(200, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                lastItem = menu->actions().back()->text();
                menu->close();
            }
        });
        QTimer::singleShot(2000, [] {  // a watchdog: no menu may stay open
            if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        });
        request();
        apptest::Pump(300);
        EXPECT_EQ(lastItem, QStringLiteral("about Orvane Revuvuvi(&A)..."));
    }
}

// A list's table height includes its drop-down; closed it is 14 units high.
QRect ClosedRect(const ControlTemplate& c) {
    return c.kind == ControlKind::List ? QRect(c.rect.topLeft(), QSize(c.rect.width(), 14)) : c.rect;
}

// The factory layout is drawn by hand: nothing may overlap, stick out of the
// dialog or intrude on the standard controls.
TEST(MainWindowTemplate, FactoryPanelFitsBesideTheStandardControls) {
    const DialogTemplate& tpl = ResourceTable::Builtin().Dialog(id::MainDialog);
    const QRect standard(QPoint(0, 0), tpl.size);
    const QRect whole(QPoint(0, 0), tpl.factorySize);
    std::vector<const ControlTemplate*> fields;
    for (const auto& c : tpl.controls) {
        const QRect r = ClosedRect(c);
        if (c.factory) {
            EXPECT_TRUE(whole.contains(r)) << c.caption.toStdString() << " " << c.id;
            EXPECT_GE(r.left(), standard.right()) << c.caption.toStdString() << " " << c.id;
        } else if (c.kind != ControlKind::Comm) {
            EXPECT_TRUE(standard.contains(r)) << c.caption.toStdString() << " " << c.id;
        }
        if (c.factory && c.kind != ControlKind::GroupBox) fields.push_back(&c);
    }
    for (std::size_t a = 0; a < fields.size(); ++a)
        for (std::size_t b = a + 1; b < fields.size(); ++b) {
            EXPECT_FALSE(ClosedRect(*fields[a]).intersects(ClosedRect(*fields[b]))) << fields[a]->id << " " << fields[a]->caption.toStdString() << " / "
                                            << fields[b]->id << " " << fields[b]->caption.toStdString();
        }
}

}  // namespace
}  // namespace orv::app::qt
