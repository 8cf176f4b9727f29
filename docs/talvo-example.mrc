; Talvo example script. Load it in the client's script editor (Remotes).
;
; Every Talvo call answers with the command "var %match = N", which the client
; performs in the calling alias or event: right after a $dll() call, %match
; holds the answer.

; Where Talvo.dll lies: here beside this script.
alias -l talvo.path { return $scriptdir $+ Talvo.dll }

; Rereads all rule files from Talvo\Rules, e.g. after editing them.
; The library reads them once by itself when it is loaded.
alias talvo.reload {
  noop $dll($talvo.path, LoadRules, 0)
  echo -a Talvo: %match rules read
}

; Lists every rule of the spam set (13) that catches a text, not only the
; first: each search resumes after the rule found last.
;   /talvo.spamrules buy cheap pills now
alias talvo.spamrules {
  var %start = 1
  while (1) {
    noop $dll($talvo.path, RuleFilter, 13 %start $1-)
    if (%match <= 0) { break }
    echo -a Talvo: spam rule %match catches it
    var %start = %match + 1
  }
  ; Negative answers mean the request itself was malformed: -1 and -3 a bad
  ; set or start number, -2 a set number out of 0 to 15, -4 no text, -5 a set
  ; that is not loaded.
  if (%match < 0) { echo -a Talvo: request refused with code %match }
}

; Marks channel messages that the first spam rule catches.
on *:TEXT:*:#:{
  noop $dll($talvo.path, RuleFilter, 13 1 $1-)
  if (%match > 0) { echo -t $chan Talvo: $nick wrote something spam rule %match catches }
}

; Tells whether a joining user's nickname and user name fit one of four
; patterns of machine-made names: the answer names the first test that held
; (1 to 4), or 0 for none. It is not a degree: 4 is not more machine-made
; than 1, only another pattern. The numbers after the address switch tests
; off; here test 3 (small nickname, capital ~USERNAME) is left out.
on *:JOIN:#:{
  if ($nick == $me) { return }
  noop $dll($talvo.path, Magic, $fulladdress 3)
  if (%match > 0) { echo -t $chan Talvo: $nick looks generated (test %match $+ ) }
}

; Frees the rules and unloads the library.
alias talvo.unload { dll -u $talvo.path }
