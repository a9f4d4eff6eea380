#pragma once

#include "ConfigSyntax.h"

#include <QByteArray>

#include <vector>

// What each keyword of ConfigSyntax's lists means: its syntax and what the
// loader or the menu does with it, for completion and the reference. The
// rows follow ConfigSyntax's arrays index for index.
namespace ConfigDirectives {

// Who reads a directive: ldlinux.c32 (the boot: prompt), the menu modules
// (menu.c32, vesamenu.c32), or both.
enum Readers : unsigned { Loader = 1, Menu = 2, Both = Loader | Menu };

struct Description {
    // As written, keywords in capitals and what the user writes in lower
    // case ("MENU COLOR element ansi foreground background shadow").
    const char* syntax;
    const char* what;
    unsigned readers;
};

// Row for row with ConfigSyntax::Keywords and MenuKeywords.
extern const std::array<Description, ConfigSyntax::Keywords.size()> LoaderDescriptions;
extern const std::array<Description, ConfigSyntax::MenuKeywords.size()> MenuDescriptions;
// The lines the loader knows outside those lists: ENDTEXT, and F1-F12 in
// one row (FunctionKeyAt's).
extern const std::array<Description, 2> OtherDescriptions;

struct Directive {
    QByteArray words; // the directive's keywords, upper case: "MENU MASTER PASSWD"
    const Description* description;
    bool afterMenu; // one of MENU's words
};
// The keywords of a syntax: its leading words in capitals.
QByteArray KeywordsOf(const char* syntax);
// Every directive, in the reference's order: the loader's lines, then MENU's
// words; F1-F12 each a directive of its own.
const std::vector<Directive>& All();

}
