<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>AboutPage</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>请重新启动 ZEK710A</translation>
    </message>
    <message>
        <source>Update failed.
Try Again?</source>
        <translation>更新失败。
要再试一次吗？</translation>
    </message>
    <message>
        <source>Latest APP revision</source>
        <translation>最新 APP 版本</translation>
    </message>
    <message>
        <source>Latest MCU revision</source>
        <translation>最新 MCU 版本</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>APP Revision</source>
        <translation>APP 版本</translation>
    </message>
    <message>
        <source>MCU Revision</source>
        <translation>MCU 版本</translation>
    </message>
    <message>
        <source>Latest APP Revision</source>
        <translation>最新 APP 版本</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
</context>
<context>
    <name>AutomationPage</name>
    <message>
        <source>Automation</source>
        <translation>自动化控制</translation>
    </message>
    <message>
        <source>Off: nothing listens.</source>
        <translation>关闭：不接受任何连接。</translation>
    </message>
    <message>
        <source>Waiting for the panel&apos;s network address…</source>
        <translation>等待面板的网络地址…</translation>
    </message>
    <message>
        <source>New read-only token</source>
        <translation>新的只读令牌</translation>
    </message>
    <message>
        <source>New control token</source>
        <translation>新的控制令牌</translation>
    </message>
    <message>
        <source>Control token</source>
        <translation>控制令牌</translation>
    </message>
    <message>
        <source>Read-only token</source>
        <translation>只读令牌</translation>
    </message>
    <message>
        <source>shown only now; the one made before no longer works:</source>
        <translation>仅显示这一次；之前的令牌已失效：</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
<context>
    <name>Camera</name>
    <message>
        <source>Not connected</source>
        <translation>未连接</translation>
    </message>
</context>
<context>
    <name>CameraCell</name>
    <message>
        <source>Camera</source>
        <translation>摄像机</translation>
    </message>
    <message>
        <source>CH</source>
        <translation>CH</translation>
    </message>
</context>
<context>
    <name>CameraPage</name>
    <message>
        <source>Horizontal</source>
        <translation>水平</translation>
    </message>
    <message>
        <source>Vertical</source>
        <translation>垂直</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>对比度</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>锐度</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>曝光</translation>
    </message>
    <message>
        <source>HUE</source>
        <translation>色调</translation>
    </message>
    <message>
        <source>AGC</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Video Setting</source>
        <translation>视频设置</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>视频模式</translation>
    </message>
    <message>
        <source>Video Orientation</source>
        <translation>图像方向</translation>
    </message>
    <message>
        <source>3DNR</source>
        <translation>3DNR</translation>
    </message>
    <message>
        <source>Firmware Status</source>
        <translation>固件状态</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Please wait
</source>
        <translation>请稍候
</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>网络</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>主机名</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 地址</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>首选 DNS</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>备用 DNS</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC 地址</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手动</translation>
    </message>
    <message>
        <source>Set IP Address and Protocol</source>
        <translation>设置 IP 地址和协议</translation>
    </message>
    <message>
        <source>Input IP Address</source>
        <translation>输入 IP 地址</translation>
    </message>
    <message>
        <source>Enter an IP address first.</source>
        <translation>请先输入 IP 地址。</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>Standard VISCA</source>
        <translation>标准 VISCA</translation>
    </message>
    <message>
        <source>Simple VISCA</source>
        <translation>简易 VISCA</translation>
    </message>
    <message>
        <source>NDI</source>
        <translation>NDI</translation>
    </message>
</context>
<context>
    <name>ConnectionWarning</name>
    <message>
        <source>Stop showing this message anymore.</source>
        <translation>不再显示此消息。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>LanguagePage</name>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
</context>
<context>
    <name>ManageDevice</name>
    <message>
        <source>Manage Device</source>
        <translation>设备管理</translation>
    </message>
    <message>
        <source>Device List</source>
        <translation>设备列表</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>扫描</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>载入</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Scan: search the network for HCIP cameras.
Load: load the saved device list.
Save: save the current device list.</source>
        <translation>扫描：在网络上搜索 HCIP 摄像机。
载入：载入已保存的设备列表。
保存：保存当前的设备列表。</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>设备</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>NetworkSetting</name>
    <message>
        <source>Are you sure to reset ZEK710A network configuration?</source>
        <translation>确定要重置 ZEK710A 网络配置吗？</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>请重新启动 ZEK710A</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>网络设置</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>主机名</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>型号</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC 地址</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 地址</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>首选 DNS</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>备用 DNS</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>地址无效。</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>The network settings could not be saved.
Nothing was changed.</source>
        <translation>无法保存网络设置。
设置未更改。</translation>
    </message>
</context>
<context>
    <name>NumberPad</name>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>地址无效。</translation>
    </message>
</context>
<context>
    <name>PageCameraInfo</name>
    <message>
        <source>WB Auto</source>
        <translation>自动白平衡</translation>
    </message>
    <message>
        <source>Indoor</source>
        <translation>室内</translation>
    </message>
    <message>
        <source>Outdoor</source>
        <translation>室外</translation>
    </message>
    <message>
        <source>OnePush</source>
        <translation>一键白平衡</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手动</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>快门</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>对焦</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>视频模式</translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>白平衡</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>预置位</translation>
    </message>
    <message>
        <source>MWB Pro</source>
        <translation>手动白平衡 Pro</translation>
    </message>
    <message>
        <source>MWB</source>
        <translation>手动白平衡</translation>
    </message>
    <message>
        <source>Video Setting</source>
        <translation>视频设置</translation>
    </message>
    <message>
        <source>Audio Setting</source>
        <translation>音频设置</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>R Gain</source>
        <translation>R 增益</translation>
    </message>
    <message>
        <source>B Gain</source>
        <translation>B 增益</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>色温</translation>
    </message>
</context>
<context>
    <name>PageCameraList</name>
    <message>
        <source>Camera</source>
        <translation>摄像机</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Please wait...</source>
        <translation>请稍候...</translation>
    </message>
</context>
<context>
    <name>SerialParameters</name>
    <message>
        <source>Serial Port Parameters</source>
        <translation>串口参数</translation>
    </message>
    <message>
        <source>BaudRate</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>Data Bits</source>
        <translation>数据位</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>Stop Bits</source>
        <translation>停止位</translation>
    </message>
    <message>
        <source>Flow Control</source>
        <translation>流控制</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>偶校验</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>奇校验</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>One Stop</source>
        <translation>1 停止位</translation>
    </message>
    <message>
        <source>Two Stop</source>
        <translation>2 停止位</translation>
    </message>
    <message>
        <source>1.5 Stop</source>
        <translation>1.5 停止位</translation>
    </message>
    <message>
        <source>Hard</source>
        <translation>硬件</translation>
    </message>
    <message>
        <source>Soft</source>
        <translation>软件</translation>
    </message>
    <message>
        <source>Serial Port Baudrate</source>
        <translation>串口波特率</translation>
    </message>
    <message>
        <source>Serial Port Data Bits</source>
        <translation>串口数据位</translation>
    </message>
    <message>
        <source>Serial Port Parity</source>
        <translation>串口校验</translation>
    </message>
    <message>
        <source>Serial Port Stop Bits</source>
        <translation>串口停止位</translation>
    </message>
    <message>
        <source>Serial Port Flow Control</source>
        <translation>串口流控制</translation>
    </message>
</context>
<context>
    <name>ShutdownDialog</name>
    <message>
        <source>System Shutdown</source>
        <translation>系统关机</translation>
    </message>
    <message>
        <source>Do You Want to Shut Down?</source>
        <translation>确定要关机吗？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>SpeedMode</name>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>摇杆速度模式</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>非线性</translation>
    </message>
    <message>
        <source>Arithmetic</source>
        <translation>等差</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>固定</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
</context>
<context>
    <name>SystemSetting</name>
    <message>
        <source>Arithmetic</source>
        <translation>等差</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>固定</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>非线性</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>ZEK-710A</source>
        <translation>ZEK-710A</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>APP v</source>
        <translation>APP v</translation>
    </message>
    <message>
        <source>Serial Ports</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>网络设置</translation>
    </message>
    <message>
        <source>Camera Tally</source>
        <translation>摄像机 Tally</translation>
    </message>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>摇杆速度模式</translation>
    </message>
    <message>
        <source>Auto HCIP Scan</source>
        <translation>自动 HCIP 扫描</translation>
    </message>
    <message>
        <source>Screen Saver</source>
        <translation>屏幕保护</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> 分钟</translation>
    </message>
    <message>
        <source>Shut Down</source>
        <translation>关机</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Automation</source>
        <translation>自动化控制</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>开启</translation>
    </message>
    <message>
        <source>Remote setup</source>
        <translation>远程设置</translation>
    </message>
    <message>
        <source>allowed</source>
        <translation>允许</translation>
    </message>
    <message>
        <source>locked</source>
        <translation>已锁定</translation>
    </message>
</context>
<context>
    <name>TallyMapping</name>
    <message>
        <source>Tally Mapping</source>
        <translation>Tally 映射</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>System Message</source>
        <translation>系统消息</translation>
    </message>
    <message>
        <source>Work done.</source>
        <translation>完成。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>TallyMode</name>
    <message>
        <source>Camera Tally</source>
        <translation>摄像机 Tally</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>模式</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Tally Mapping</source>
        <translation>Tally 映射</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重置</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
</context>
<context>
    <name>TestScreens</name>
    <message>
        <source>RS-422 loop test</source>
        <translation>RS-422 回路测试</translation>
    </message>
    <message>
        <source>USB test</source>
        <translation>USB 测试</translation>
    </message>
    <message>
        <source>T-Bar calibration</source>
        <translation>T-Bar 校准</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>底部</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>顶部</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>验证</translation>
    </message>
    <message>
        <source>GPI tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Panel test</source>
        <translation>面板测试</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>按键</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升级</translation>
    </message>
    <message>
        <source>Start panel</source>
        <translation>启动面板</translation>
    </message>
</context>
<context>
    <name>TextKeyboard</name>
    <message>
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>请重新启动 ZEK710A</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>摄像机</translation>
    </message>
    <message>
        <source>Switcher</source>
        <translation>切换台</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>录像机</translation>
    </message>
    <message>
        <source>Camera1</source>
        <translation>摄像机1</translation>
    </message>
    <message>
        <source>Preset1</source>
        <translation>预置1</translation>
    </message>
    <message>
        <source>Camera Shift</source>
        <translation>摄像机切换</translation>
    </message>
    <message>
        <source>Preset Shift</source>
        <translation>预置切换</translation>
    </message>
    <message>
        <source>SW Function</source>
        <translation>切换台功能</translation>
    </message>
    <message>
        <source>Manage Device</source>
        <translation>设备管理</translation>
    </message>
    <message>
        <source>System</source>
        <translation>系统</translation>
    </message>
    <message>
        <source>ZEK-710A is going to reboot.</source>
        <translation>ZEK-710A 即将重新启动。</translation>
    </message>
</context>
<context>
    <name>mainControl</name>
    <message>
        <source>No device connect to Camera %1.
Please select another one.</source>
        <translation>摄像机 %1 未连接设备。
请选择其他摄像机。</translation>
    </message>
    <message>
        <source>Camera %1 is not in the correct network.
Please configure its IP address then scan again.</source>
        <translation>摄像机 %1 不在正确的网络中。
请设置其 IP 地址后重新扫描。</translation>
    </message>
    <message>
        <source>Cannot connect to Camera %1.
Please reboot that device then scan again.</source>
        <translation>无法连接摄像机 %1。
请重新启动该设备后重新扫描。</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>请重新启动 ZEK710A</translation>
    </message>
    <message>
        <source>The network settings could not be reset.
Nothing was changed.</source>
        <translation>无法重置网络设置。
设置未更改。</translation>
    </message>
    <message>
        <source>The panel is busy.
Please try again.</source>
        <translation>面板忙碌中。
请稍后再试。</translation>
    </message>
</context>
</TS>
