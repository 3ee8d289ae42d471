# Sourced: a machine that can lose its network, for the offline tests and the demo.
#
# start_offline_namespace: a network namespace of our own with only loopback and an
# interface without a default route, so the machine counts as disconnected; sets NS to the
# command prefix that runs a program inside it and NS_HOLDER to the process that keeps it
# (end it to drop the namespace). `ip route add default via 10.200.0.2` inside it brings
# the connection, `ip route del default` takes it away.
start_offline_namespace() {
  unshare -n sleep 600 &
  NS_HOLDER=$!
  sleep 0.2
  NS=(nsenter -t "$NS_HOLDER" -n)
  "${NS[@]}" ip link set lo up
  "${NS[@]}" ip link add vnet0 type veth peer name vnet1
  "${NS[@]}" ip link set vnet1 up
  "${NS[@]}" ip link set vnet0 up
  "${NS[@]}" ip addr add 10.200.0.1/24 dev vnet0
}

# prepare_cable_pull: the namespace goes online, and the local table's rule moves behind a
# rule of ours that can cut off 127.0.0.1. Then pull_cable takes the route away and makes
# 127.0.0.1 unreachable (a transfer stalls, every new connection fails), as a pulled cable
# does; plug_cable undoes both.
prepare_cable_pull() {
  "${NS[@]}" ip route add default via 10.200.0.2
  "${NS[@]}" ip rule add pref 100 lookup local
  "${NS[@]}" ip rule del pref 0
}
pull_cable() { "${NS[@]}" ip route del default && "${NS[@]}" ip rule add pref 10 prohibit to 127.0.0.1; }
plug_cable() { "${NS[@]}" ip rule del pref 10 && "${NS[@]}" ip route add default via 10.200.0.2; }
