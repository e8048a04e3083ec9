# Renders a manual page to the plain text that its program prints for --help,
# and writes that text as a C++ header that defines `help::kText`:
#
#   cmake -DMANPAGE=man/kovra.1 -DHEADER=kovra_help.h -P man/man2help.cmake
#
# The help holds the words that `man` shows, in the same order, in lines of at
# most 79 columns, with three changes that suit a --help text: the NAME section
# is left out, the SYNOPSIS lines become the "usage:" lines at the top, and the
# DESCRIPTION heading is left out (its paragraphs start at the margin; the other
# sections are indented by two). tests/packaging/check_help.sh checks exactly
# this against the page as `man` renders it.
#
# Only the requests, font macros and escapes that the pages use are known (the
# list is in each page's opening comment). Anything else stops the build, so the
# help cannot silently leave out anything the page says.
cmake_minimum_required(VERSION 3.25)

if(NOT MANPAGE OR NOT HEADER)
  message(FATAL_ERROR "usage: cmake -DMANPAGE=<page.1> -DHEADER=<out.h> -P man2help.cmake")
endif()

set(kWidth 79)
# Characters that CMake lists or the wrapping would take apart stand in for
# these placeholders until the text is complete.
string(ASCII 1 kSemicolon)
string(ASCII 2 kOpenBracket)
string(ASCII 3 kCloseBracket)
string(ASCII 4 kBackslash)
string(ASCII 5 kFixedSpace)

file(READ "${MANPAGE}" page)
if(page MATCHES "\\\\\n")
  message(FATAL_ERROR "${MANPAGE}: a line ends in a backslash (continuation lines are not supported)")
endif()
string(REPLACE ";" "${kSemicolon}" page "${page}")
string(REPLACE "[" "${kOpenBracket}" page "${page}")
string(REPLACE "]" "${kCloseBracket}" page "${page}")
# \e is a printed backslash: out of the way first, so that every backslash left
# starts an escape.
string(REPLACE "\\e" "${kBackslash}" page "${page}")
string(REGEX REPLACE "\n$" "" page "${page}")
string(REPLACE "\n" ";" lines "${page}")

set(out "")             # the help text so far
set(section "")         # the current section's name
set(skipping FALSE)     # inside NAME, which the help leaves out
set(margin 0)           # where the lines of the current block start
set(margins "")         # the margins saved by .RS
set(fill TRUE)          # FALSE between .nf and .fi: lines are kept as they are
set(words "")           # the paragraph being filled
set(tp "")              # "tag" right after .TP, "body" once the tag is read
set(tag "")
set(tag_width 0)
set(need_blank FALSE)   # a blank line goes before the next block
set(no_space FALSE)     # right after a heading, where man adds no blank line
set(usage_lines 0)

macro(unescape var)
  string(REGEX REPLACE "\\\\f[BIRP]" "" ${var} "${${var}}")
  string(REPLACE "\\-" "-" ${var} "${${var}}")
  string(REPLACE "\\(aq" "'" ${var} "${${var}}")
  string(REPLACE "\\(dq" "\"" ${var} "${${var}}")
  string(REPLACE "\\&" "" ${var} "${${var}}")
  string(REPLACE "\\ " "${kFixedSpace}" ${var} "${${var}}")
  if(${var} MATCHES "\\\\.?.?.?")
    message(FATAL_ERROR "${MANPAGE}:${lineno}: unknown escape \"${CMAKE_MATCH_0}\"")
  endif()
endmacro()

macro(start_block)
  if(need_blank AND NOT no_space AND NOT out STREQUAL "")
    string(APPEND out "\n")
  endif()
  set(need_blank FALSE)
  set(no_space FALSE)
endmacro()

# Fills `words` into lines: the first starts with `first_prefix`, the others
# with `rest_margin` blanks.
macro(fill_lines rest_margin)
  set(line "${first_prefix}")
  set(line_has_word FALSE)
  string(REPEAT " " ${rest_margin} rest_prefix)
  foreach(word IN LISTS words)
    string(LENGTH "${line}" line_length)
    string(LENGTH "${word}" word_length)
    math(EXPR wanted "${line_length} + 1 + ${word_length}")
    if(line_has_word AND wanted GREATER kWidth)
      string(APPEND out "${line}\n")
      set(line "${rest_prefix}${word}")
    elseif(line_has_word)
      string(APPEND line " ${word}")
    else()
      string(APPEND line "${word}")
    endif()
    set(line_has_word TRUE)
  endforeach()
  string(APPEND out "${line}\n")
endmacro()

# Lays out the paragraph read so far: a usage line, a tagged paragraph or a
# plain one.
macro(flush)
  if(words OR NOT tag STREQUAL "")
    start_block()
    string(REPEAT " " ${margin} prefix)
    if(section STREQUAL "SYNOPSIS")
      if(usage_lines EQUAL 0)
        set(first_prefix "usage: ")
      else()
        set(first_prefix "       ")
      endif()
      fill_lines(7)
      math(EXPR usage_lines "${usage_lines} + 1")
    elseif(NOT tp STREQUAL "")
      math(EXPR body_margin "${margin} + ${tag_width}")
      string(LENGTH "${tag}" tag_length)
      if(tag_length LESS tag_width AND words)
        # A short tag shares its line with the start of the body, as in man.
        math(EXPR pad "${tag_width} - ${tag_length}")
        string(REPEAT " " ${pad} padding)
        set(first_prefix "${prefix}${tag}${padding}")
        fill_lines(${body_margin})
      else()
        string(APPEND out "${prefix}${tag}\n")
        if(words)
          string(REPEAT " " ${body_margin} first_prefix)
          fill_lines(${body_margin})
        endif()
      endif()
    else()
      set(first_prefix "${prefix}")
      fill_lines(${margin})
    endif()
  endif()
  set(words "")
  set(tag "")
  set(tp "")
endmacro()

# One line of text, from the page or from a font macro.
macro(add_text text_var)
  if(tp STREQUAL "tag")
    string(STRIP "${${text_var}}" tag)
    set(tp "body")
  elseif(NOT fill)
    start_block()
    string(REPEAT " " ${margin} prefix)
    string(APPEND out "${prefix}${${text_var}}\n")
  else()
    string(REGEX MATCHALL "[^ ]+" line_words "${${text_var}}")
    list(APPEND words ${line_words})
  endif()
endmacro()

set(lineno 0)
foreach(raw IN LISTS lines)
  math(EXPR lineno "${lineno} + 1")
  if(raw MATCHES "^\\.\\\\\"" OR raw STREQUAL ".")
    continue()                                   # a comment
  endif()
  if(raw MATCHES "^\\.([A-Za-z]+)(.*)$")
    set(request "${CMAKE_MATCH_1}")
    string(STRIP "${CMAKE_MATCH_2}" rest)
    unescape(rest)
    string(REGEX MATCHALL "\"[^\"]*\"|[^ ]+" args "${rest}")
    set(arguments "")
    foreach(arg IN LISTS args)
      string(REGEX REPLACE "^\"(.*)\"$" "\\1" arg "${arg}")
      list(APPEND arguments "${arg}")
    endforeach()
    list(LENGTH arguments argument_count)

    if(request STREQUAL "SH")
      flush()
      list(JOIN arguments " " section)
      set(skipping FALSE)
      set(margins "")
      set(fill TRUE)
      set(need_blank TRUE)
      if(section STREQUAL "NAME")
        set(skipping TRUE)
      elseif(section STREQUAL "SYNOPSIS" OR section STREQUAL "DESCRIPTION")
        set(margin 0)
      else()
        start_block()
        string(APPEND out "${section}\n")
        set(no_space TRUE)
        set(margin 2)
      endif()
      continue()
    endif()
    if(skipping)
      continue()
    endif()

    if(request MATCHES "^(TH|nh|ad)$")
      # The title line and the adjustment: nothing in the help.
    elseif(request MATCHES "^(PP|P|LP)$")
      flush()
      set(need_blank TRUE)
    elseif(request STREQUAL "TP")
      flush()
      set(need_blank TRUE)
      set(tp "tag")
      set(tag_width 7)
      if(argument_count GREATER 0)
        list(GET arguments 0 tag_width)
      endif()
    elseif(request STREQUAL "RS")
      flush()
      list(APPEND margins ${margin})
      set(step 7)
      if(argument_count GREATER 0)
        list(GET arguments 0 step)
      endif()
      math(EXPR margin "${margin} + ${step}")
    elseif(request STREQUAL "RE")
      flush()
      if(NOT margins)
        message(FATAL_ERROR "${MANPAGE}:${lineno}: .RE without .RS")
      endif()
      list(POP_BACK margins margin)
    elseif(request STREQUAL "nf")
      flush()
      set(fill FALSE)
    elseif(request STREQUAL "fi")
      set(fill TRUE)
    elseif(request STREQUAL "br")
      flush()
    elseif(request STREQUAL "sp")
      flush()
      set(need_blank TRUE)
    elseif(request MATCHES "^(B|I)$")
      list(JOIN arguments " " text)
      add_text(text)
    elseif(request MATCHES "^(BR|IR|RB|RI|BI|IB)$")
      list(JOIN arguments "" text)
      add_text(text)
    else()
      message(FATAL_ERROR "${MANPAGE}:${lineno}: unknown request .${request}")
    endif()
  elseif(raw MATCHES "^[.']")
    message(FATAL_ERROR "${MANPAGE}:${lineno}: unknown control line \"${raw}\"")
  elseif(skipping)
    continue()
  elseif(raw STREQUAL "")
    flush()
    set(need_blank TRUE)
  else()
    set(text "${raw}")
    unescape(text)
    add_text(text)
  endif()
endforeach()
flush()

string(REPLACE "${kFixedSpace}" " " out "${out}")
string(REPLACE "${kBackslash}" "\\" out "${out}")
string(REPLACE "${kOpenBracket}" "[" out "${out}")
string(REPLACE "${kCloseBracket}" "]" out "${out}")
string(REPLACE "${kSemicolon}" ";" out "${out}")
if(out MATCHES "\\)HELP\"")
  message(FATAL_ERROR "${MANPAGE}: the text holds the raw string's end \")HELP\"\"")
endif()

get_filename_component(page_name "${MANPAGE}" NAME)
file(WRITE "${HEADER}"
  "// The --help text, rendered from the manual page ${page_name} by man2help.cmake.\n"
  "// Generated at build time: edit the page, not this file.\n"
  "#pragma once\n\n"
  "namespace help {\n\n"
  "inline constexpr char kText[] = R\"HELP(${out})HELP\";\n\n"
  "}  // namespace help\n")
