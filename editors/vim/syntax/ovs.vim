" Vim syntax file
" Language:    Orvinta command script (.ovs)
"
" The groups follow how the interpreter reads a line: blanks at its start are skipped, then ";"
" makes a comment, "[" starts a registry block, "<" an XML block, and anything else is a command
" whose first four characters are the keyword (exact case, nothing required after it). Macros
" and argument separators belong to command lines only: registry and XML blocks are passed on
" as written.

if exists('b:current_syntax')
  finish
endif

let s:cpo_save = &cpo
set cpo&vim

syn case match

" Commands whose argument is plain text; the ones that steer the script come below.
let s:plain = 'LOAD\|PLAY\|BEEP\|MSGX\|DLGX\|LINK\|FILE\|REGX\|TGZX\|SEND\|WAIT\|KILL\|SHUT\|'
      \ . 'EXEC\|CDLL\|EVAL\|ASOC\|OVUI\|HELP'
let s:labelled = 'PROC\|CALL\|GOTO\|ENDP'

" Macros: "%" and one character, "%#" and four. Case matters: %e is just "e".
syn match ovsVariable   /%[0-9]/
syn match ovsResult     /%[xX]/
syn match ovsMacro      /%[ECTDAYSWPMF]/
syn match ovsLineMacro  /%[RN]/
syn match ovsCodeUnit   /%#\x\{4}/
" Four characters are taken whatever they are; anything but hex digits is almost surely a slip.
syn match ovsBadCodeUnit /%#\%(\x\{4}\)\@!.\{,4}/
" "%" before the line end takes the line break into the line and joins the next line on.
syn match ovsEscape     /%\%([^#0-9xXECTDAYSWPMFRN]\|$\)/
syn cluster ovsMacros contains=ovsVariable,ovsResult,ovsMacro,ovsLineMacro,ovsCodeUnit,ovsBadCodeUnit,ovsEscape

" Every unescaped comma of a command line becomes an argument separator.
syn match ovsSeparator  /,/

syn match ovsComment    /^[ \t]*;.*/ contains=ovsTodo
syn keyword ovsTodo     TODO FIXME XXX contained

" --- Command keywords -----------------------------------------------------------------------
" A keyword stands at the start of a line, after ELSE, after the comma that ends an IFEX
" condition, and at the start of each BATC piece. Each is defined twice: anchored at the line
" start for the top level, and contained for the places a command follows another.

" Keywords of a command that runs to the line end: at the line start, and after ELSE or an IFEX
" condition there. The rest of such a line is matched by the top-level macros and separators.
for s:where in ['^[ \t]*\zs', '']
  let s:def = 'syn match ovsKeyword /' . s:where
  let s:opt = s:where ==# '' ? ' contained' : ''
  exe s:def . '\%(' . s:plain . '\)/' . s:opt
  exe s:def . '\%(' . s:labelled . '\)/' . s:opt . ' nextgroup=ovsLabel skipwhite'
  exe s:def . 'ELSE/' . s:opt . ' nextgroup=ovsKeyword skipwhite'
  exe s:def . 'IFEX/' . s:opt . ' nextgroup=ovsCondition skipwhite'
  exe s:def . 'BATC/' . s:opt . ' nextgroup=ovsPieceKeyword,ovsPieceText,ovsPieceEnd skipwhite'
endfor
unlet s:where s:def s:opt

" The label runs to the line end, trailing blanks included: CALL searches for exactly that text.
syn match ovsLabel /\S.*/ contained contains=@ovsMacros,ovsSeparator
syn match ovsPieceLabel /\%([^ \t;%]\|%#[^;]\{4}\|%[^;]\)\%([^;%]\|%#[^;]\{4}\|%[^;]\)*/ contained contains=@ovsMacros,ovsSeparator
      \ nextgroup=ovsPieceEnd

" An IFEX condition runs to the first unescaped comma; with no comma the line opens a block.
syn match ovsCondition /\%([^ \t,%]\|%#.\{4}\|%.\)\%([^,%]\|%#.\{4}\|%.\)*/ contained contains=@ovsMacros,ovsOperator
      \ nextgroup=ovsIfexComma
syn match ovsPieceCondition /\%([^ \t,;%]\|%#[^;]\{4}\|%[^;]\)\%([^,;%]\|%#[^;]\{4}\|%[^;]\)*/ contained contains=@ovsMacros,ovsOperator
      \ nextgroup=ovsPieceIfexComma,ovsPieceEnd
syn match ovsOperator /==\|!=\|<=\|>=\|&&\|||\|[!&<=>|]/ contained
" No blank may follow this comma: a blank makes the rest a path to open, not a command.
syn match ovsIfexComma /,/ contained nextgroup=ovsKeyword
syn match ovsPieceIfexComma /,/ contained nextgroup=ovsPieceKeyword,ovsPieceArgs

syn match ovsPieceArgs /\%([^;%]\|%#[^;]\{4}\|%[^;]\)\+/ contained contains=@ovsMacros,ovsSeparator
      \ nextgroup=ovsPieceEnd
syn match ovsPieceText /\%([^ \t;%]\|%#[^;]\{4}\|%[^;]\)\%([^;%]\|%#[^;]\{4}\|%[^;]\)*/ contained
      \ contains=@ovsMacros,ovsSeparator nextgroup=ovsPieceEnd
syn match ovsPieceEnd /%\=;/ contained nextgroup=ovsPieceKeyword,ovsPieceArgs,ovsPieceEnd

" Keywords of a BATC piece. BATC cuts its whole argument at every ";" (and "%;", which still
" separates) before anything in it runs, so inside BATC each of these ends at the next ";".
" Where blanks are skipped (skipwhite), only groups that can't begin with a blank may follow:
" Vim prefers a next group that matches the blanks themselves. Defined after the piece texts,
" because of several items matching at one place the last defined wins.
exe 'syn match ovsPieceKeyword /\%(' . s:plain . '\)/ contained nextgroup=ovsPieceArgs,ovsPieceEnd'
exe 'syn match ovsPieceKeyword /\%(' . s:labelled . '\)/ contained nextgroup=ovsPieceLabel,ovsPieceEnd skipwhite'
syn match ovsPieceKeyword /ELSE/ contained nextgroup=ovsPieceKeyword,ovsPieceText,ovsPieceEnd skipwhite
syn match ovsPieceKeyword /IFEX/ contained nextgroup=ovsPieceCondition,ovsPieceEnd skipwhite
syn match ovsPieceKeyword /BATC/ contained nextgroup=ovsPieceKeyword,ovsPieceText,ovsPieceEnd skipwhite

" --- Registry blocks ------------------------------------------------------------------------
" From a line beginning with "[" to the first line that is not registry text: key lines, value
" lines ("name" or @), comments and blank lines. A backslash escapes the next character and,
" at a line end, continues the line, so a value line may run over several lines.
syn region ovsRegBlock start=/^\ze[ \t]*\[/ end=/^\ze[ \t]*[^ \t\["@;]/
      \ contains=ovsRegKey,ovsRegValue,ovsRegComment
syn match ovsRegKey /^[ \t]*\[.*/ contained contains=ovsRegKeyDelete
syn match ovsRegKeyDelete /\%(^[ \t]*\[\)\@<=-/ contained
syn match ovsRegComment /^[ \t]*;\%([^\\\n]\|\\\_s*\_.\)*/ contained contains=ovsTodo
syn match ovsRegValue /^[ \t]*[@"]\%([^\\\n]\|\\\_s*\_.\)*/ contained
      \ contains=ovsRegString,ovsRegName,ovsRegDefault,ovsRegAssign,ovsRegType,ovsRegNumber,ovsRegDelete,ovsRegContinue
syn match ovsRegString /"\%([^"\\]\|\\\_s*\_.\)*"/ contained contains=ovsRegEscape
syn match ovsRegName /\%(^[ \t]*\)\@<="\%([^"\\]\|\\\_s*\_.\)*"/ contained contains=ovsRegEscape
syn match ovsRegDefault /\%(^[ \t]*\)\@<=@/ contained
syn match ovsRegAssign /=/ contained
syn match ovsRegType /\c\%(dword\|hex\%((\x\+)\)\=\|multi_sz\|mui_sz\):/ contained
syn match ovsRegNumber /\<\x\+\>/ contained
syn match ovsRegDelete /=\@<=-/ contained
syn match ovsRegEscape /\\\_s*\_./ contained
syn match ovsRegContinue /\\[ \t]*$/ contained

" --- XML blocks -----------------------------------------------------------------------------
" From a line beginning with "<" to the first "<>" below it; the rest of the marker's line is
" skipped. The first line is matched on its own so that a "<>" on it does not end the block.
" The marker is found by a plain search, so it ends the block even inside a comment (keepend).
syn match ovsXmlFirst /^[ \t]*<.*/ contains=@ovsXml nextgroup=ovsXmlBlock skipnl skipempty
syn region ovsXmlBlock start=/\_./me=s matchgroup=ovsXmlEnd end=/<>/ keepend contained contains=@ovsXml
      \ nextgroup=ovsXmlIgnored
syn match ovsXmlIgnored /.*/ contained
syn match ovsXmlTag /<\/\=[A-Za-z_:][-A-Za-z0-9_:.]*\|\/\=>\|?>/ contained
syn match ovsXmlAttribute /[A-Za-z_:][-A-Za-z0-9_:.]*\ze\s*=/ contained
syn region ovsXmlString start=/"/ end=/"/ contained
syn region ovsXmlString start=/'/ end=/'/ contained
syn region ovsXmlComment start=/<!--/ end=/-->/ contained
syn match ovsXmlDecl /<?[A-Za-z]\+/ contained
syn cluster ovsXml contains=ovsXmlTag,ovsXmlAttribute,ovsXmlString,ovsXmlComment,ovsXmlDecl

syn sync fromstart

hi def link ovsComment        Comment
hi def link ovsTodo           Todo
hi def link ovsKeyword        Statement
hi def link ovsPieceKeyword   Statement
hi def link ovsLabel          Function
hi def link ovsPieceLabel     Function
hi def link ovsOperator       Operator
hi def link ovsSeparator      Delimiter
hi def link ovsIfexComma      Delimiter
hi def link ovsPieceIfexComma Delimiter
hi def link ovsPieceEnd       Delimiter
hi def link ovsVariable       Identifier
hi def link ovsResult         Identifier
hi def link ovsMacro          PreProc
hi def link ovsLineMacro      SpecialChar
hi def link ovsCodeUnit       SpecialChar
hi def link ovsBadCodeUnit    Error
hi def link ovsEscape         SpecialChar
hi def link ovsRegKey         Structure
hi def link ovsRegKeyDelete   Special
hi def link ovsRegComment     Comment
hi def link ovsRegName        Identifier
hi def link ovsRegDefault     Identifier
hi def link ovsRegAssign      Operator
hi def link ovsRegType        Type
hi def link ovsRegNumber      Number
hi def link ovsRegString      String
hi def link ovsRegEscape      SpecialChar
hi def link ovsRegDelete      Special
hi def link ovsRegContinue    SpecialChar
hi def link ovsXmlTag         Function
hi def link ovsXmlAttribute   Type
hi def link ovsXmlString      String
hi def link ovsXmlComment     Comment
hi def link ovsXmlDecl        PreProc
hi def link ovsXmlEnd         Special
hi def link ovsXmlIgnored     Comment

let b:current_syntax = 'ovs'

let &cpo = s:cpo_save
unlet s:cpo_save
