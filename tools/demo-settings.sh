# Sourced by the scripts that start the program against zn8p-sim. demo_settings CONFIG_HOME LINK
# writes the communication conditions under the first key, complete so that it is the one in use,
# with COM1 mapped to the simulator's terminal LINK.
demo_settings() {
    mkdir -p "$1/Dorvatech RQA Control"
    cat >"$1/Dorvatech RQA Control/ZN Monitor.conf" <<CONF
[General]
Port=COM1
Speed=9600
Databit=7
Stopbit=1
Parity=EVEN
strAdr=01
Protocol=0
SSTab1=0
SSTab2=0

[PortMap]
COM1=$2
CONF
}
