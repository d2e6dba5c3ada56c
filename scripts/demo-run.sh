# Sourced by demo.sh inside its Wine session: starts the simulated trading client and quote
# application, Kovra beside them in a folder of its own, shows a stock, clicks "买" and prints the
# order the client received. Sets kovra_pid.
demo="$out/kovra"
journal="$out/trade-journal.txt"
rm -rf "$demo" "$journal"
mkdir -p "$demo"
cp "$bin/Kovra.exe" "$demo/"
cp "$root/resources/demo/股票代码表.ini" "$demo/"

# The configuration is GBK text, as the Windows profile functions keep it on a Chinese system.
iconv -f UTF-8 -t GBK >"$demo/Kovra.ini" <<INI
[MainWindow]
strTop=80
strLeft=420
COLOR=-16777201
[Config]
TradeSoft=$(winepath -w "$bin/TradeSim.exe")
StockSoft=$(winepath -w "$bin/QuoteSim.exe")
每次买入金额=5
每次买卖股数=2000
下单价格浮动=3
融资按金额=1
担保按金额=1
INI
sed -i 's/$/\r/' "$demo/Kovra.ini"

wait_for() {  # wait_for SECONDS COMMAND...: polls the command until it succeeds
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

(cd "$bin" && wine TradeSim.exe --journal "$(winepath -w "$journal")" </dev/null >/dev/null 2>&1 &)
(cd "$bin" && wine QuoteSim.exe --title "大智慧 - [上证指数]" </dev/null >/dev/null 2>&1 &)
wait_for 30 grep -q '^START' "$journal" 2>/dev/null || { echo "TradeSim did not start" >&2; exit 1; }
wait_for 30 bash -c "cd '$bin' && wine QuoteSim.exe --set-title '大智慧 - [上证指数]' >/dev/null 2>&1" ||
  { echo "QuoteSim did not start" >&2; exit 1; }

(cd "$demo" && exec wine Kovra.exe </dev/null >/dev/null 2>&1) &
kovra_pid=$!

echo "quote application: 大智慧 - [600000]"
(cd "$bin" && wine QuoteSim.exe --set-title "大智慧 - [600000]" >/dev/null 2>&1)
echo "clicking 买"
(cd "$bin" && wine BarClick.exe --wait 600000 买 </dev/null) || { echo "could not click" >&2; exit 1; }
if wait_for 30 grep -q '^ORDER' "$journal"; then
  IFS=$'\t' read -r _ page code price quantity _ < <(grep '^ORDER' "$journal" | head -1)
  echo "the trading client received: $page $code, price $price, quantity $quantity"
else
  echo "no order reached the trading client" >&2
  exit 1
fi
