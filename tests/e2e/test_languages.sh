#!/usr/bin/env bash
# The installer's texts follow the interface language of the user who runs it (under Wine,
# LC_ALL): exact language and region, else the primary language, else English. Each case
# starts a program that carries the installer's resources and prints what LoadText answers.
source "$(dirname "$0")/lib.sh"

SHOW_TEXTS=$LUMETRA_BUILD_DIR/fixtures/show_texts.exe
# One server for the many short runs below: a server that is just shutting down when the next
# run connects answers it with a reset.
wineserver -p </dev/null >/dev/null 2>&1
[ -f "$SHOW_TEXTS" ] || fail "missing $SHOW_TEXTS"

# texts_in LOCALE: prints the raw font (127), Continue (110) and licence sentence (108),
# and the shown caption (122) and the two texts with line breaks (129, 131) as
# "<id><TAB><text>" lines, line breaks written as \n. Output goes to a file: processes
# that Wine starts on the side keep a pipe open.
texts_in() {
  local out=$E2E_DIR/texts-$1.txt
  LC_ALL=$1 wine "$SHOW_TEXTS" 127 110 108 --display 122 129 131 </dev/null >"$out" 2>>"$E2E_DIR/wine.err" \
    || fail "show_texts failed under LC_ALL=$1"
  cat "$out"
}

# text_of ID: the text of one id from texts_in's answer in $answer.
text_of() { printf '%s\n' "$answer" | sed -n "s/^$1\t//p"; }

expect() {
  local id=$2 expected=$3 actual
  actual=$(text_of "$id")
  [ "$actual" = "$expected" ] || fail "LC_ALL=$1, text $id: '$actual', expected '$expected'"
}

# locale | font | caption as shown | Continue
cases="zh_TW.UTF-8|Microsoft JhengHei|Lumetra 安裝程式|繼續
zh_CN.UTF-8|Microsoft YaHei|Lumetra 安装程序|继续
zh_HK.UTF-8|Microsoft YaHei|Lumetra 安装程序|继续
ja_JP.UTF-8|Meiryo|Lumetra インストーラ|続行
ko_KR.UTF-8|Malgun Gothic|Lumetra 설치 프로그램|계속
de_DE.UTF-8|Roboto|Lumetra Installationsprogramm|Weiter
de_AT.UTF-8|Roboto|Lumetra Installationsprogramm|Weiter
es_ES.UTF-8|Roboto|Instalador de Lumetra|Continuar
fr_FR.UTF-8|Roboto|Programme d’installation du Lumetra|Continuer
it_IT.UTF-8|Roboto|Installer Lumetra|Continua
nl_NL.UTF-8|Roboto|Lumetra Installatieprogramma|Doorgaan
pt_BR.UTF-8|Roboto|Instalador do Lumetra|Continuar
ru_RU.UTF-8|Roboto|Программа установки Lumetra|Продолжить
sv_SE.UTF-8|Roboto|Lumetra Installer|Continue
pl_PL.UTF-8|Roboto|Lumetra Installer|Continue
en_GB.UTF-8|Roboto|Lumetra Installer|Continue
C|Roboto|Lumetra Installer|Continue"

english_sentence="I accept the {0}, {1} and {2}"
while IFS='|' read -r locale font caption continue_word; do
  answer=$(texts_in "$locale")
  expect "$locale" 127 "$font"
  expect "$locale" 122 "$caption"
  expect "$locale" 110 "$continue_word"

  # The unsupported-OS text keeps its one line break and names Windows in every language;
  # the start-up message keeps its blank line.
  unsupported=$(text_of 129)
  [ "$(grep -o '\\n' <<<"$unsupported" | wc -l)" -eq 1 ] || fail "$locale, text 129: $unsupported"
  case $unsupported in *"[OS]"*|*'\n\n'*) fail "$locale, text 129: $unsupported" ;; esac
  case $unsupported in *Windows*) ;; *) fail "$locale, text 129 without Windows: $unsupported" ;; esac
  case $(text_of 131) in *'\n\n'*) ;; *) fail "$locale, text 131 lost its blank line" ;; esac

  # Only the English-speaking and unlisted locales get the English licence sentence.
  if [ "$continue_word" = Continue ]; then expect "$locale" 108 "$english_sentence"
  else [ "$(text_of 108)" != "$english_sentence" ] || fail "$locale, English licence sentence"; fi
done <<<"$cases"

# Japanese orders the licence sentence with the links first.
answer=$(cat "$E2E_DIR/texts-ja_JP.UTF-8.txt")
expect ja_JP.UTF-8 108 "{0}、{1}および{2}に同意します"
