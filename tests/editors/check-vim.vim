" Checks the Vim syntax groups listed in checks.tsv on sample.ovs, which is the buffer being
" edited (opened through ftdetect, so the file type is checked too). Writes one line per check
" to the file named by g:report; run-editors prints and counts them.
let s:results = []

function! s:Report(ok, what) abort
  call add(s:results, (a:ok ? 'ok   ' : 'FAIL ') . 'vim: ' . a:what)
endfunction

call s:Report(&filetype ==# 'ovs', 'a .ovs file gets file type "ovs" (got "' . &filetype . '")')

for s:row in readfile(expand('<sfile>:p:h') . '/checks.tsv')
  if s:row ==# '' || s:row[0] ==# '#'
    continue
  endif
  let [s:line, s:needle, s:scopes, s:group] = split(s:row, "\t", 1)
  let s:parts = stridx(s:needle, '|') >= 0 ? split(s:needle, '|', 1) : ['', s:needle]
  let s:at = stridx(getline(str2nr(s:line)), s:parts[0] . s:parts[1])
  let s:what = printf('line %s "%s" %s', s:line, s:needle, s:group)
  if s:at < 0
    call s:Report(0, s:what . ' (text not on that line)')
    continue
  endif
  let s:name = synIDattr(synID(str2nr(s:line), s:at + len(s:parts[0]) + 1, 1), 'name')
  let s:want = s:group ==# '-' ? '' : s:group
  call s:Report(s:name ==# s:want, s:what . (s:name ==# s:want ? '' : ' (got "' . s:name . '")'))
endfor

call writefile(s:results, g:report)
qall!
